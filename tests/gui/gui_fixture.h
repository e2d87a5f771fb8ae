// Shared pieces of the window tests: scripted dialogs, a recording shell and
// a program folder with a small template catalogue.
#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <vector>

#include "desktop/dialogs.h"
#include "gui/TveltORV1.h"
#include "gui/program_paths.h"
#include "gui/shell_launcher.h"

// QStrings in test failures as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// Answers in place of the user and records what was shown.
class scripted_dialogs : public dialogs {
  public:
    void message(QWidget*, QMessageBox::Icon, const QString& text, const QString&) override {
        messages.push_back(text);
    }
    bool question(QWidget*, const QString& text, QMessageBox::StandardButton) override {
        questions.push_back(text);
        return answer_yes;
    }
    save_answer ask_save(QWidget*, const QString& text) override {
        save_questions.push_back(text);
        return save_reply;
    }
    QStringList choose_files(QWidget*, const file_request& request) override {
        requests.push_back(request);
        if (files.empty()) return {};
        QStringList next = files.front();
        files.pop_front();
        return next;
    }
    QString choose_folder(QWidget*, const QString&, const QString& start) override {
        folder_starts.push_back(start);
        if (folders.empty()) return {};
        QString next = folders.front();
        folders.pop_front();
        return next;
    }
    void show_modal(QDialog& dialog) override {
        modal_titles.push_back(dialog.windowTitle());
        if (auto* comments = dialog.findChild<QLabel*>(QStringLiteral("Comments")))
            modal_texts.push_back(comments->text());
    }

    QStringList messages;
    QStringList questions;
    bool answer_yes = true;
    QStringList save_questions;
    save_answer save_reply = save_answer::discard;
    std::deque<QStringList> files;  // one answer per file dialog
    std::vector<file_request> requests;
    std::deque<QString> folders;  // one answer per folder dialog
    QStringList folder_starts;
    QStringList modal_titles;
    QStringList modal_texts;
};

// Records shell requests instead of starting programs.
class recording_shell : public shell_launcher {
  public:
    bool open(const QString& verb, const QString& target) override {
        opened.push_back(verb + QStringLiteral(" ") + target);
        return succeed;
    }
    bool edit(const QString& path) override {
        opened.push_back(QStringLiteral("edit ") + path);
        return succeed;
    }
    bool can_open() const override { return opener; }
    void beep() override { ++beeps; }

    QStringList opened;
    bool succeed = true;
    bool opener = true;  // xdg-open is installed
    int beeps = 0;
};

// Writes bytes to a file, creating its folder.
void write_file(const QString& path, const QByteArray& bytes);
QByteArray read_file(const QString& path);

// A program folder with three templates and a settings file, and a user
// configuration folder, both temporary.
class window_test : public ::testing::Test {
  protected:
    window_test();
    ~window_test() override;

    // A main window on this test's folders (the previous one is closed).
    TveltORV1& open_window();
    // Closes the window as the user would (runs the exit sequence).
    void close_window();

    template <typename T>
    T* find(const char* name) const {
        T* widget = window_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString path(const QString& relative) const { return root_.filePath(relative); }
    QString status() const;
    // The window's title as shown while nothing is unsaved.
    QString caption() const;
    // Starts a build (or clearing run) and waits for its end.
    void build();
    void clear();
    // Waits until the window's run (if any) has ended and been reported.
    void finish_run();

    QTemporaryDir root_;
    program_paths paths_;
    scripted_dialogs dialogs_;
    recording_shell shell_;
    std::unique_ptr<TveltORV1> window_;
};

// The catalogue written by window_test: three entries.
extern const char* const k_test_catalogue;
