// SPDX-License-Identifier: GPL-3.0-or-later
#include "dataport/bapdialog.h"

#include "dataport/controls.h"
#include "dataport/dataportcore.h"
#include "dataport/dialogparts.h"
#include "dataport/strings.h"
#include "ui/caption.h"
#include "workfile/workfile.h"

#include <QLabel>

namespace korvanta {

using namespace dataport;

BapDialog::BapDialog(Session &session, QWidget *opener) : SettingsDialog(session, opener, QStringLiteral("Form6"))
{
    setWindowTitle(text::kBapTitle);
    auto *outer = new QGroupBox(text::kBapFrame, this);
    outer->setObjectName(QStringLiteral("Frame3"));
    auto *columns = new QHBoxLayout(outer);
    for (int side = 0; side < 2; ++side) {
        const BapSide &s = bapSides()[side];
        auto *column = new QVBoxLayout;
        QList<QWidget *> sideControls;
        auto *label = new Caption(tr(s.caption), outer);
        label->setObjectName(nameOf(s.label));
        column->addWidget(label);
        for (const BapRequest &r : bapRequests()) {
            QGroupBox *frame = makeFrame(r.frame[side], tr(r.caption), outer);
            sideControls << addOption(frame, r.refuse[side], text::kRefuse) << addOption(frame, r.answer[side], text::kAnswer);
            column->addWidget(frame);
        }
        columns->addLayout(column);
        bindSetting(nameOf(kBapSection), nameOf(s.key), sideControls);
    }

    auto *body = new QVBoxLayout;
    body->addWidget(outer);
    layOut(*this, body, {"Command1", "Command2", "Command3"}, [this] { registerSettings(); }, [] { return 8; });
}

SettingValues BapDialog::readAdapter()
{
    SettingValues values;
    runExchange(ProgressScope::Reading, [&] {
        BapRead(session(), values, this);
        showValues(values);
    });
    return values;
}

void BapDialog::showValues(const SettingValues &values)
{
    // The calling side into the left column.
    for (int side = 0; side < 2; ++side) {
        const auto value = values.get(nameOf(kBapSection), nameOf(bapSides()[side].key));
        if (!value)
            continue;
        const int mask = value->toInt();
        for (const BapRequest &req : bapRequests())
            option(this, mask & req.bit ? req.answer[side] : req.refuse[side])->setChecked(true);
    }
}

SettingValues BapDialog::shownValues() const
{
    SettingValues values;
    const auto isOn = [this](const char *name) { return option(this, name)->isChecked(); };
    const QString section = nameOf(kBapSection);
    for (int side = 0; side < 2; ++side) {
        const QString key = nameOf(bapSides()[side].key);
        values.set(section, key, QString::number(maskOf(isOn, side, session().workFile.fetch(section, key))));
    }
    return values;
}

void BapDialog::registerSettings()
{
    registerAndClose([this] { return BapWrite(session(), sendable(shownValues()), this); });
}

} // namespace korvanta
