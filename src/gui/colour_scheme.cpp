#include "gui/colour_scheme.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleFactory>

namespace {

const QString k_fusion = QStringLiteral("Fusion");

QPalette light_palette() {
    QStyle* fusion = QStyleFactory::create(k_fusion);
    QPalette palette = fusion ? fusion->standardPalette() : QPalette();
    delete fusion;
    return palette;
}

// GNOME's setting, as gsettings prints it ("'prefer-dark'"); empty where it
// cannot be asked.
QString gnome_color_scheme() {
    if (QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty()) return {};
    QProcess query;
    query.start(QStringLiteral("gsettings"),
                {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.interface"),
                 QStringLiteral("color-scheme")});
    if (!query.waitForFinished(2000)) return {};
    return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
}

}  // namespace

colour_scheme::colour_scheme() {
    // What the application started with, before any window chose colours.
    static const QString style = QApplication::style()->name();
    static const QPalette palette = QApplication::palette();
    system_style_ = style;
    system_palette_ = palette;
}

bool colour_scheme::prefers_dark(QStringView gnome_color_scheme, QStringView gtk_theme) {
    if (gnome_color_scheme.contains(u"prefer-dark")) return true;
    if (gnome_color_scheme.contains(u"prefer-light")) return false;
    return gtk_theme.endsWith(u":dark", Qt::CaseInsensitive) ||
           gtk_theme.endsWith(u"-dark", Qt::CaseInsensitive);
}

bool colour_scheme::is_dark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() <
           palette.color(QPalette::WindowText).lightness();
}

QPalette colour_scheme::dark_palette() {
    QPalette p;
    const QColor window(45, 45, 48), base(30, 30, 32), text(230, 230, 230), dim(130, 130, 130);
    const QColor highlight(42, 130, 218), link(110, 170, 255);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, dim);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Light, QColor(70, 70, 74));
    p.setColor(QPalette::Midlight, QColor(60, 60, 64));
    p.setColor(QPalette::Mid, QColor(40, 40, 42));
    p.setColor(QPalette::Dark, QColor(20, 20, 22));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, link);
    p.setColor(QPalette::LinkVisited, link.darker(120));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, dim);
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(80, 80, 80));
    return p;
}

bool colour_scheme::desktop_prefers_dark() {
    // Asked once a run: it costs a process.
    static const bool dark = prefers_dark(gnome_color_scheme(), qEnvironmentVariable("GTK_THEME"));
    return dark;
}

void colour_scheme::use(const QString& style, const QPalette& palette) {
    if (QApplication::style()->name().compare(style, Qt::CaseInsensitive) != 0)
        QApplication::setStyle(style);
    QApplication::setPalette(palette);
}

void colour_scheme::apply(colour_choice choice) {
    choice_ = choice;
    const bool system_dark = is_dark(system_palette_);
    bool dark = choice == colour_choice::dark;
    if (choice == colour_choice::system) dark = system_dark || desktop_prefers_dark();
    if (dark == system_dark)
        use(system_style_, system_palette_);
    else
        use(k_fusion, dark ? dark_palette() : light_palette());
}
