// Saved-report files made of any bytes: read back, and every page laid out
// into text lines as the preview and the exports do (fonts measured).
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstddef>
#include <cstdint>

#include "reports/Fonts.h"
#include "reports/PageModel.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_saved_report";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path =
        QDir::tempPath() + QStringLiteral("/cv_fuzz_saved_report_%1.qrp").arg(static_cast<long long>(::getpid()));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    QString error;
    const auto report = reports::PreparedReport::load(path, &error);
    if (!report) {
        if (error.isEmpty()) __builtin_trap();  // a refusal always tells why
        return 0;
    }
    for (const reports::Page& page : report->pages) {
        const auto fragments = reports::textFragments(page);
        (void)fragments;
    }
    return 0;
}
