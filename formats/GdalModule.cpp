#include "formats/GdalModule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

#include <mutex>

namespace {

constexpr const char* kModuleFile = "libtalvane_gdal.so";

QStringList moduleCandidates()
{
    const QByteArray chosen = qgetenv("TALVANE_GDAL_MODULE_DIR");
    if (!chosen.isEmpty())
        return {gdalModuleFileIn(QFile::decodeName(chosen))};
    const QString executableFolder = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).path();
    return {gdalModuleFileIn(executableFolder), QStringLiteral(TALVANE_GDAL_MODULE_BUILT),
            gdalModuleFileIn(executableFolder + QStringLiteral("/../lib/talvane"))};
}

struct LoadedModule {
    const GdalModuleFunctions* functions = nullptr;
    QString errorText;
};

// The first candidate that is there decides: one that fails to load is a broken
// installation to report, not a reason to take an older one from further on.
LoadedModule loadModule()
{
    const QStringList candidates = moduleCandidates();
    QString file = candidates.front();
    for (const QString& candidate : candidates) {
        if (QFileInfo::exists(candidate)) {
            file = candidate;
            break;
        }
    }
    LoadedModule loaded;
    void* handle = dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
    using Entry = const GdalModuleFunctions* (*)();
    auto entry = handle ? reinterpret_cast<Entry>(dlsym(handle, kGdalModuleEntry)) : nullptr;
    if (entry)
        loaded.functions = entry();
    if (!loaded.functions) {
        const char* error = dlerror();
        const QString reason = error ? QString::fromLocal8Bit(error) : QStringLiteral("no entry point");
        // dlerror() mostly starts with the file's name already.
        loaded.errorText = QStringLiteral("GDAL support could not be loaded: %1")
                               .arg(reason.startsWith(file) ? reason : file + QStringLiteral(": ") + reason);
    }
    return loaded;
}

} // namespace

QString gdalModuleFileIn(const QString& folder)
{
    return QDir::cleanPath(folder + QLatin1Char('/') + QLatin1String(kModuleFile));
}

const GdalModuleFunctions* gdalModule(QString& errorText)
{
    static std::once_flag attempted;
    static LoadedModule loaded;
    std::call_once(attempted, [] { loaded = loadModule(); });
    if (!loaded.functions)
        errorText = loaded.errorText;
    return loaded.functions;
}
