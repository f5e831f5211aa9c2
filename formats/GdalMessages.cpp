#include "formats/GdalMessages.h"

#include "diagnostics/Diagnostics.h"

void GdalMessages::forward()
{
    for (const std::string& warning : report_.warnings)
        diagnostics::reportf("GDAL: %s\n", QString::fromUtf8(warning).trimmed().toUtf8().constData());
    report_.warnings.clear();
}

QString GdalMessages::lastFailure(const QString& fallback) const
{
    const QString text = QString::fromUtf8(report_.lastFailure).trimmed();
    return text.isEmpty() ? fallback : text;
}
