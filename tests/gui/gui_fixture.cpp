#include "gui_fixture.h"

#include <QCoreApplication>
#include <QFileInfo>

const char* const k_test_catalogue =
    "<file>list.html</file>\r\n<name>Plain list</name>\r\n"
    "<description>Links one per line.\r\nSafe &amp; simple.</description>\r\n"
    "<file>outline.html</file>\r\n<name>Outline</name>\r\n"
    "<description>Numbered outline.</description>\r\n"
    "<file>list.html</file>\r\n<name>Plain list again</name>\r\n"
    "<description>Same file as the first.</description>\r\n";

namespace {

const char* const k_list_template =
    "<!--#for var=\"item\"--><!--#if var=\"open\"--><a href=\"<!--#echo var=\"link\"-->\">"
    "<!--#echo var=\"text\"--></a>\r\n<!--#endif--><!--#endfor-->";

}  // namespace

void write_file(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

QByteArray read_file(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

window_test::window_test() {
    paths_ = program_paths::in_folder(path("program"), path("config/VELT/ORV1"));
    write_file(paths_.data_folder + "templates.txt", k_test_catalogue);
    write_file(paths_.data_folder + "list.html", k_list_template);
    write_file(paths_.data_folder + "outline.html", k_list_template);
    write_file(paths_.distribution_settings,
               "<form_height>0</form_height>\r\n<form_width>0</form_width>\r\n"
               "<save_format_on_exit>0</save_format_on_exit>\r\n");
}

window_test::~window_test() {
    window_.reset();
}

TveltORV1& window_test::open_window() {
    window_.reset();
    window_ = std::make_unique<TveltORV1>(paths_, dialogs_, shell_);
    return *window_;
}

void window_test::close_window() {
    if (window_) window_->close();
    window_.reset();
}

QString window_test::status() const {
    return window_->findChild<QLabel*>(QStringLiteral("StatusLabel"))->text();
}

QString window_test::caption() const {
    return window_->windowTitle().remove(QStringLiteral("[*]"));
}

void window_test::build() {
    window_->ResultFile1Click();
    finish_run();
}

void window_test::clear() {
    window_->ClearTOC1Click();
    finish_run();
}

void window_test::finish_run() {
    window_->wait_for_run();
    QCoreApplication::processEvents();
}
