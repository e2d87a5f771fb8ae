// The desktop kit: paths as Qt text, and the real message boxes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <functional>
#include <stdexcept>

#include "desktop/box_text.h"
#include "desktop/byte_text.h"
#include "desktop/guarded_run.h"
#include "desktop/qt_dialogs.h"
#include "support/qt_application.h"
#include "support/temp_folder.h"

// Under the leak checker: font configuration caches that Qt's font database
// keeps until the process ends are the system library's, not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

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

// Any bytes come back as they went in; valid UTF-8 reads as its characters.
TEST(byte_text, EveryByteStringSurvivesTheRoundTrip) {
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string two{static_cast<char>(a), static_cast<char>(b)};
            ASSERT_EQ(byte_text(qt_text(two)), two) << a << " " << b;
        }
    }
    const struct {
        std::string bytes;
        QString shown;
    } cases[] = {
        {"caf\xc3\xa9", QStringLiteral("caf\u00e9")},
        {"\xf0\x9f\x93\x84", QString::fromUtf8("\xf0\x9f\x93\x84")},
        {"caf\xe9", QStringLiteral("caf") + QChar(0xDCE9)},
        {"\xff", QString(QChar(0xDCFF))},
        {"\xc0\xaf", QString(QChar(0xDCC0)) + QChar(0xDCAF)},                      // overlong "/"
        {"\xed\xb3\xa9", QString(QChar(0xDCED)) + QChar(0xDCB3) + QChar(0xDCA9)},  // a surrogate
        {"\xe2\x82", QString(QChar(0xDCE2)) + QChar(0xDC82)},                      // cut short
        {"\xf4\x90\x80\x80",
         QString(QChar(0xDCF4)) + QChar(0xDC90) + QChar(0xDC80) + QChar(0xDC80)},
        {std::string("a\0b", 3), QStringLiteral("a") + QChar(0) + QStringLiteral("b")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qt_text(c.bytes), c.shown) << c.bytes;
        EXPECT_EQ(byte_text(c.shown), c.bytes) << c.bytes;
    }
    // Surrogates no decoding makes are written as U+FFFD.
    EXPECT_EQ(byte_text(QString(QChar(0xD800))), "\xef\xbf\xbd");
    EXPECT_EQ(byte_text(QString(QChar(0xDC41))), "\xef\xbf\xbd");
}

// Qt's file dialogs list names through a decoding that loses bytes; the path
// handed on is the one on disk whenever one name alone matches.
TEST(byte_text, DialogAnswersAreTakenBackToThePathOnDisk) {
    temp_folder folder;
    ASSERT_EQ(mkdir(folder.file("d\xe9").c_str(), 0755), 0);
    const std::string page = folder.write("d\xe9/p\xff.html", "x");
    const auto as_qt_lists = [](const std::string& bytes) {
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    };
    EXPECT_EQ(byte_text(exact_path(as_qt_lists(page))), page);
    EXPECT_EQ(exact_path(QStringLiteral("/plain/path.html")), "/plain/path.html");
    // Two names that read alike: the answer stays as it came.
    folder.write("d\xe9/a\xe9", "x");
    folder.write("d\xe9/a\xfe", "x");
    const QString alike = as_qt_lists(folder.file("d\xe9/a\xe9"));
    EXPECT_EQ(exact_path(alike), qt_text(folder.file("d\xe9/a")) + QChar(0xFFFD));
}

TEST(box_text, LongPathsGetPlacesToWrapAndTitlesOneLine) {
    EXPECT_EQ(box_text(QStringLiteral("Can't open /a/b.html\r\nnow")),
              "Can't open /a/b.html\nnow");  // short words stay as they are
    const QString path = QStringLiteral("/home/ann/") + QString(90, u'x') + QStringLiteral(".html");
    const QString wrapped = box_text(QStringLiteral("File doesn't exist: ") + path);
    EXPECT_EQ(QString(wrapped).remove(QChar(0x200B)), "File doesn't exist: " + path);
    for (const QString& piece : wrapped.split(QChar(0x200B))) EXPECT_LE(piece.size(), 40);
    EXPECT_EQ(window_title(QStringLiteral("Orvane 1.0b\r\nSelect an installation folder")),
              "Orvane 1.0b - Select an installation folder");
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

    // A long path wraps inside the screen instead of widening the box past it.
    const QString path =
        QStringLiteral("/home/ann/") + QString(300, u'x') + QStringLiteral(".html");
    on_next_box(
        [](QMessageBox& box) {
            box.adjustSize();
            const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            ASSERT_NE(label, nullptr);
            EXPECT_LE(label->minimumSizeHint().width(), label->width());  // no text runs past it
            EXPECT_LE(box.width(), box.screen()->availableGeometry().width());
        },
        QMessageBox::Ok);
    boxes.message(nullptr, QMessageBox::Warning, "Can't save project to file: " + path, QString());

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
    save_answer ask_save(QWidget*, const QString&) override { return save_answer::cancel; }
    QStringList choose_files(QWidget*, const file_request&) override { return {}; }
    QString choose_folder(QWidget*, const QString&, const QString&) override { return {}; }
    void show_modal(QDialog&) override {}

    std::vector<QMessageBox::Icon> icons;
    QStringList texts;
};

TEST(run_with_failure_box, AnEscapedExceptionIsShownAndTheProgramFails) {
    recording_dialogs boxes;
    EXPECT_EQ(run_with_failure_box(boxes, [] { return 3; }), 3);
    EXPECT_TRUE(boxes.texts.isEmpty());
    EXPECT_EQ(run_with_failure_box(boxes,
                                   []() -> int { throw std::runtime_error("caf\xc3\xa9 closed"); }),
              1);
    EXPECT_EQ(boxes.texts, QStringList{QStringLiteral("caf\u00e9 closed")});
    EXPECT_EQ(boxes.icons, std::vector<QMessageBox::Icon>{QMessageBox::Critical});
}

}  // namespace
