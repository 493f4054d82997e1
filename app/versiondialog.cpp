// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/versiondialog.h"

#include "app/artwork.h"
#include "link/session/session.h"
#include "ui/formparts.h"
#include "ui/windows.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvanta {

VersionDialog::VersionDialog(const Session &session, QWidget *parent)
    : QDialog(parent, form::kDialogFlags)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(tr("バージョン情報"));

    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(artwork::adapterFront(QSize(120, 72)));

    auto *name = new QLabel(tr("ＫＯＲＶＡＮ－ＴＡ設定ユーティリティ"), this);
    name->setObjectName(QStringLiteral("Label1"));
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    auto *version = new QLabel(tr("Ｖｅｒｓｉｏｎ ２．３０"), this);
    version->setObjectName(QStringLiteral("Label2"));

    auto *frame = new QGroupBox(tr("ファームウェアバージョン"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *firmware = new QLabel(session.FirmwareVersion, frame); // verbatim, trailing blanks included
    firmware->setObjectName(QStringLiteral("Label3"));
    firmware->setTextFormat(Qt::PlainText);
    firmware->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(firmware);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(18, 16, 18, 14);
    grid->setHorizontalSpacing(16);
    grid->addWidget(image, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(name, 0, 1);
    grid->addWidget(version, 1, 1);
    grid->addWidget(frame, 2, 1);
    grid->addWidget(ok, 3, 1, Qt::AlignRight);
    centreOnScreen(this);
}

} // namespace korvanta
