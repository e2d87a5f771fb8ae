#include "gui/TDescriptionBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/screen_centre.h"

TDescriptionBox::TDescriptionBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TDescriptionBox"));
    comments_ = new QLabel(this);
    comments_->setObjectName(QStringLiteral("Comments"));
    comments_->setTextFormat(Qt::PlainText);
    comments_->setWordWrap(true);
    comments_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The label must not grow the box: a long text is cut at its bottom edge.
    comments_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(comments_, 1);
    layout->addLayout(buttons);
    setFixedSize(380, 260);
    centre_on_screen(this);
}

void TDescriptionBox::set_description(const QString& caption, const QString& text) {
    setWindowTitle(caption);
    comments_->setText(text);
}
