#include "dataport/bapdialog.h"

#include "dataport/controls.h"
#include "dataport/dataportcore.h"
#include "dataport/dialogparts.h"
#include "dataport/strings.h"

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
        auto *label = new QLabel(tr(s.caption), outer);
        label->setObjectName(nameOf(s.label));
        column->addWidget(label);
        for (const BapRequest &r : bapRequests()) {
            QGroupBox *frame = makeFrame(r.frame[side], tr(r.caption), outer);
            addOption(frame, r.refuse[side], text::kRefuse);
            addOption(frame, r.answer[side], text::kAnswer);
            column->addWidget(frame);
        }
        columns->addLayout(column);
    }

    auto *body = new QVBoxLayout;
    body->addWidget(outer);
    layOut(*this, body, {"Command1", "Command2", "Command3"}, [this] { registerSettings(); }, [] { return 8; });
}

void BapDialog::readAdapter()
{
    runExchange(ProgressScope::Reading, [this] {
        SettingValues values;
        BapRead(session(), values, this);
        showValues(values);
    });
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
    for (int side = 0; side < 2; ++side)
        if (const int mask = maskOf(isOn, side); mask != kNoChoice)
            values.set(nameOf(kBapSection), nameOf(bapSides()[side].key), QString::number(mask));
    return values;
}

void BapDialog::registerSettings()
{
    registerAndClose([this] { return BapWrite(session(), shownValues(), this); });
}

} // namespace korvanta
