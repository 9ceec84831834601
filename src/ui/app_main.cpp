// Halvek Kestrine: the desktop application.
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <QPointer>
#include <QSplashScreen>
#include <QTimer>
#include <cstdlib>

#include "qt/qsettings_store.h"
#include "ui/main_window.h"
#include "ui/pictures.h"
#include "ui/title_fit.h"

namespace {

// The first mouse press anywhere in the program removes the splash.
class SplashRemover : public QObject {
public:
    explicit SplashRemover(QSplashScreen* splash) : m_splash(splash) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress && m_splash) {
            m_splash->close();
            m_splash = nullptr;
            return true;  // the press that removes the splash does nothing else
        }
        return false;
    }
    QPointer<QSplashScreen> m_splash;
};

}  // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so it works without a display.
    if (argc > 1 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        if (argv[1][2] == 'v')
            std::printf("kestrine %s\n", KESTRINE_VERSION);
        else
            std::printf("Usage: kestrine [PROJECT.ksm]\nOpens the Kestrine window, with the project file if one is given.\n");
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Halvek Systems");
    QApplication::setApplicationName("Kestrine");
    QApplication::setWindowIcon(ks::pictures::AppIcon());
    ks::CTitleFit titleFit;
    app.installEventFilter(&titleFit);

    // The splash shows for 8 s before the window and goes 6 s after it opens
    // (or at the first click); KESTRINE_SPLASH_MS sets both, 0 turns it off.
    int showMs = 8000, removeMs = 6000;
    if (const char* env = std::getenv("KESTRINE_SPLASH_MS")) showMs = removeMs = std::atoi(env);

    ks::QSettingsStore settings;
    ks::CVeltrinoDlg window(&settings);
    auto* splash = showMs > 0 ? new QSplashScreen(QPixmap::fromImage(ks::pictures::Splash())) : nullptr;
    SplashRemover remover(splash);
    if (splash) {
        splash->show();
        app.installEventFilter(&remover);
    }
    const QString file = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QTimer::singleShot(showMs, &window, [&] {
        window.show();
        if (!file.isEmpty()) window.OpenProjectFile(file.toStdString());
        if (splash)
            QTimer::singleShot(removeMs, splash, [splash] {
                splash->close();
                splash->deleteLater();
            });
    });
    return app.exec();
}
