// The desktop kit: paths as Qt text, and the real message boxes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <stdexcept>

#include "desktop/byte_text.h"
#include "desktop/guarded_run.h"
#include "desktop/qt_dialogs.h"
#include "support/qt_application.h"
#include "support/temp_folder.h"

namespace {

// Runs inspect on the message box that opens next, then closes it with button.
void on_next_box(std::function<void(QMessageBox&)> inspect, QMessageBox::StandardButton button) {
    QTimer::singleShot(0, [inspect, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        inspect(*box);
        box->button(button)->click();
    });
}

// A path made by the engine names the same file for Qt, and a path made by Qt
// the same file for the engine.
TEST(byte_text, PathsNameTheSameFileOnBothSides) {
    temp_folder folder;
    for (const std::string name : {"plain.html", "caf\xc3\xa9 \xe2\x82\xac.html",
                                   "\xf0\x9f\x93\x84 page.html", "a b\tc.html"}) {
        const std::string engine_path = folder.write(name, "x");
        const QString qt_path = qt_text(engine_path);
        EXPECT_TRUE(QFileInfo::exists(qt_path)) << engine_path;
        EXPECT_EQ(byte_text(qt_path), engine_path);

        QFile made_by_qt(qt_path + QStringLiteral(".copy"));
        ASSERT_TRUE(made_by_qt.open(QIODevice::WriteOnly));
        struct stat info;
        EXPECT_EQ(stat(byte_text(made_by_qt.fileName()).c_str(), &info), 0) << engine_path;
    }
}

TEST(qt_dialogs, BoxesShowLineBreaksDetailAndTheirDefaultAnswer) {
    test_application();
    qt_dialogs boxes;
    on_next_box(
        [](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle(), "Orvane 1.0b");
            EXPECT_EQ(box.text(), "first\nsecond");
            EXPECT_EQ(box.detailedText(), "the detail");
            EXPECT_EQ(box.icon(), QMessageBox::Critical);
        },
        QMessageBox::Ok);
    boxes.message(nullptr, QMessageBox::Critical, "first\r\nsecond", "the detail");

    for (QMessageBox::StandardButton answer : {QMessageBox::Yes, QMessageBox::No}) {
        on_next_box(
            [answer](QMessageBox& box) {
                EXPECT_EQ(box.defaultButton(), box.button(answer));
                EXPECT_EQ(box.detailedText(), "");
            },
            answer);
        EXPECT_EQ(boxes.question(nullptr, "Sure?", answer), answer == QMessageBox::Yes);
    }
}

// Records message boxes instead of showing them.
class recording_dialogs : public dialogs {
  public:
    void message(QWidget*, QMessageBox::Icon icon, const QString& text, const QString&) override {
        icons.push_back(icon);
        texts.push_back(text);
    }
    bool question(QWidget*, const QString&, QMessageBox::StandardButton) override { return false; }
    QStringList choose_files(QWidget*, const file_request&) override { return {}; }
    QString choose_folder(QWidget*, const QString&, const QString&) override { return {}; }
    void show_modal(QDialog&) override {}

    std::vector<QMessageBox::Icon> icons;
    QStringList texts;
};

TEST(run_guarded, AnEscapedExceptionIsShownAndTheProgramFails) {
    recording_dialogs boxes;
    EXPECT_EQ(run_guarded(boxes, [] { return 3; }), 3);
    EXPECT_TRUE(boxes.texts.isEmpty());
    EXPECT_EQ(run_guarded(boxes, []() -> int { throw std::runtime_error("caf\xc3\xa9 closed"); }),
              1);
    EXPECT_EQ(boxes.texts, QStringList{QStringLiteral("caf\u00e9 closed")});
    EXPECT_EQ(boxes.icons, std::vector<QMessageBox::Icon>{QMessageBox::Critical});
}

}  // namespace
