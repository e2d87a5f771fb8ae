// colour_scheme: light or dark colours for the program's windows.
//
// "System" follows the desktop: the palette Qt took from the platform theme
// when that is dark, else the desktop's own setting where Qt 6.4 does not
// read it (GNOME's color-scheme "prefer-dark", a GTK theme named "...:dark"
// or "...-dark"). "Light" and "Dark" override it with Qt's Fusion style and
// a palette of their own.
#pragma once

#include <QPalette>
#include <QString>
#include <QStringView>

enum class colour_choice { system = 0, light = 1, dark = 2 };

class colour_scheme {
  public:
    // Takes the style and palette the application started with (the first
    // scheme of a run remembers them for all).
    colour_scheme();

    void apply(colour_choice choice);
    colour_choice choice() const { return choice_; }

    // Whether the desktop's settings ask for dark colours: the value of
    // GNOME's color-scheme (as gsettings prints it) and of $GTK_THEME.
    static bool prefers_dark(QStringView gnome_color_scheme, QStringView gtk_theme);
    static QPalette dark_palette();
    // A palette whose window colour is darker than its text.
    static bool is_dark(const QPalette& palette);

  private:
    static bool desktop_prefers_dark();
    void use(const QString& style, const QPalette& palette);

    colour_choice choice_ = colour_choice::system;
    QString system_style_;
    QPalette system_palette_;
};
