// Help and update pages: the online pages when an address is configured,
// otherwise the manual installed with the program.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrlQuery>

#include "model/training_defaults.h"
#include "ui/main_window.h"

namespace ks {

namespace {

// The installed manual, or the source tree's copy when running from a build.
QString ManualDir() {
    const QString app = QCoreApplication::applicationDirPath();
    for (const QString& dir : {app + "/../share/kestrine/manual", QString(KESTRINE_MANUAL_SOURCE_DIR)})
        if (QFileInfo::exists(dir + "/index.html")) return QDir(dir).absolutePath();
    return {};
}

QString ManualPage(const QString& topic) {
    if (topic == "WizHelp") return "getting-started.html";
    if (topic == "halveklogo") return "about.html";
    return "index.html";
}

}  // namespace

// The configured help site with a trailing separator, or empty when none is set.
QString CVeltrinoDlg::HelpBase() const {
    if (!m_settings) return {};
    QString base = QString::fromStdString(m_settings->ReadString(kSettingsSection, kKeyHelpAddress).value_or(std::string()));
    if (!base.isEmpty() && !base.endsWith('/')) base += '/';
    return base;
}

void CVeltrinoDlg::OpenPage(const QUrl& url) {
    m_lastHelpUrl = url;
    if (!openUrl(url)) m_prompt->Notify("No program is set up to show " + url.toString().toStdString() + ".");
}

void CVeltrinoDlg::OpenHelpPage(const QString& topic) {
    QUrl url;
    const QString base = HelpBase();
    if (!base.isEmpty()) {
        url = QUrl(base + "kestrinehelp.php?paramType=" + QUrl::toPercentEncoding(topic) +
                   QString::asprintf("&paramVersion=%0.2f", 1.0));
    } else {
        const QString dir = ManualDir();
        if (dir.isEmpty()) return m_prompt->Notify("The manual is not installed with this copy of Kestrine.");
        url = QUrl::fromLocalFile(dir + "/" + ManualPage(topic));
    }
    OpenPage(url);
}

void CVeltrinoDlg::OpenUpdatePage() {
    const QString base = HelpBase();
    if (base.isEmpty())
        return m_prompt->Notify("This is Kestrine 1.0. No update address is configured, so updates cannot be checked "
                                "from here.");
    OpenPage(QUrl(base + "kestrineupdatecheck.php?paramver=1.0"));
}

}  // namespace ks
