#include "formats/gdal/GdalMessageCapture.h"

#include <cpl_error.h>
#include <gdal.h>

#include <mutex>

namespace {

void CPL_STDCALL recordGdalMessage(CPLErr level, CPLErrorNum, const char* message)
{
    auto* report = static_cast<GdalCallReport*>(CPLGetErrorHandlerUserData());
    if (!report || level < CE_Warning)
        return;
    std::string text = message ? message : "";
    if (level < CE_Failure) {
        report->warnings.push_back(std::move(text));
        return;
    }
    ++report->failures;
    report->lastFailure = std::move(text);
}

} // namespace

GdalMessageCapture::GdalMessageCapture(GdalCallReport& report)
{
    static std::once_flag registered;
    std::call_once(registered, [] { GDALAllRegister(); });
    CPLErrorReset();
    CPLPushErrorHandlerEx(recordGdalMessage, &report);
}

GdalMessageCapture::~GdalMessageCapture()
{
    CPLPopErrorHandler();
}
