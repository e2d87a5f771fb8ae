#include "gui/TAboutBox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>

#include "desktop/named_widget.h"
#include "desktop/product_title.h"
#include "desktop/screen_centre.h"

namespace {

QLabel* named_label(const QString& text, const char* name, QWidget* parent) {
    auto* label = named(new QLabel(text, parent), name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

TAboutBox::TAboutBox(const QString& icon_file, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("About"));
    auto* icon = named_label(QString(), "ProgramIcon", this);
    QPixmap picture(icon_file);
    if (picture.isNull()) picture = style()->standardIcon(QStyle::SP_FileIcon).pixmap(42, 42);
    icon->setPixmap(picture.scaled(40, 42, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    icon->setFixedSize(40, 42);

    auto* product = named_label(k_product_title, "ProductName", this);
    QFont bold = product->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    product->setFont(bold);
    auto* version = named_label(QString(), "Version", this);
    auto* copyright =
        named_label(QStringLiteral("Copyright (c) 2026 The Orvane developers"), "Copyright", this);
    auto* comments = named_label(
        QStringLiteral("Tables of contents for HTML pages and sites. Free software under the "
                       "MIT licence."),
        "Comments", this);
    comments->setWordWrap(true);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(product, 0, 1);
    grid->addWidget(version, 1, 1);
    grid->addWidget(copyright, 2, 1);
    grid->addWidget(comments, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addStretch(1);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setColumnMinimumWidth(1, 280);
    setFixedSize(sizeHint());
    centre_on_screen(this);
}
