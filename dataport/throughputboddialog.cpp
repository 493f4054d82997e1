// SPDX-License-Identifier: GPL-3.0-or-later
#include "dataport/throughputboddialog.h"

#include "dataport/controls.h"
#include "dataport/dataportcore.h"
#include "dataport/dialogparts.h"
#include "dataport/strings.h"
#include "link/session/messages.h"
#include "ui/caption.h"
#include "ui/formparts.h"
#include "ui/inputfilter.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>

namespace korvanta {

using namespace dataport;

ThroughputBodDialog::ThroughputBodDialog(Session &session, QWidget *opener)
    : SettingsDialog(session, opener, QStringLiteral("Form5"))
{
    setWindowTitle(text::kBodTitle);
    auto *frames = new QHBoxLayout;
    for (int d = 0; d < 2; ++d)
        frames->addWidget(buildDirection(d));
    const QString section = nameOf(kBodSection);
    for (const BodDirection &dir : bodDirections())
        bindSetting(section, nameOf(dir.key),
                    controlsOf(this, dir.options, [](const BodDirection::Option &o) { return o.control; }));
    for (const BodRegister &reg : bodRegisters())
        bindSetting(section, nameOf(reg.key), {box(reg)});

    layOut(*this, frames, {"Command2", "Command3", "Command4"}, [this] { registerSettings(); }, [] { return 7; });
}

QWidget *ThroughputBodDialog::buildDirection(int d)
{
    const BodDirection &dir = bodDirections()[d];
    auto *outer = new QGroupBox(tr(dir.frameCaption), this);
    outer->setObjectName(nameOf(dir.outerFrame));
    auto *layout = new QVBoxLayout(outer);

    QGroupBox *frame = makeFrame(dir.frame, text::kDirection, outer);
    for (const BodDirection::Option &o : dir.options)
        addOption(frame, o.control, tr(o.caption));
    layout->addWidget(frame);

    auto *rows = new QGridLayout;
    int row = 0;
    for (const BodRegister &reg : bodRegisters()) {
        if (reg.direction != d)
            continue;
        const BodRange &range = bodRange(reg.kind);
        auto *edit = new QLineEdit(outer);
        edit->setObjectName(nameOf(reg.box));
        restrictInput(edit, charset::kDigits, reg.maxLength);
        edit->setAlignment(Qt::AlignRight);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
        // A small up/down spinner: the upper arrow moves the bar to -1, the
        // lower arrow to +1, and the bar goes back to its rest value at once.
        auto *bar = new QScrollBar(Qt::Vertical, outer);
        bar->setObjectName(nameOf(reg.spinner));
        bar->setRange(-1, 1);
        bar->setValue(0);
        bar->setFixedHeight(edit->sizeHint().height());
        connect(bar, &QScrollBar::valueChanged, this,
                [this, &reg, bar](int value) { spinnerMoved(reg, bar, value); });
        const QString caption = tr(range.caption);
        form::nameControls(caption, {edit, bar}); // the spin by its box's label
        rows->addWidget(new Caption(caption, outer), row, 0);
        rows->addWidget(edit, row, 1);
        rows->addWidget(bar, row, 2);
        rows->addWidget(new Caption(tr(range.unit), outer), row, 3);
        ++row;
    }
    rows->setColumnStretch(4, 1);
    layout->addLayout(rows);

    auto *speed = new Caption(outer);
    speed->setObjectName(nameOf(dir.speedLabel));
    speed->setMinimumWidth(speed->fontMetrics().horizontalAdvance(speedCaption(99)) + 8);
    layout->addWidget(speed);
    layout->addStretch();
    return outer;
}

QLineEdit *ThroughputBodDialog::box(const BodRegister &reg) const { return control<QLineEdit>(this, reg.box); }

QString ThroughputBodDialog::boxText(const BodRegister &reg) const { return box(reg)->text(); }

int ThroughputBodDialog::direction(int d) const
{
    // The option that is on gives the value; with none on nothing is sent.
    const BodDirection &dir = bodDirections()[d];
    for (int v = 0; v < 4; ++v)
        if (option(this, dir.options[v].control)->isChecked())
            return v;
    return kNoChoice;
}

void ThroughputBodDialog::showSpeed(int d)
{
    for (const BodRegister &reg : bodRegisters())
        if (reg.direction == d && reg.kind == BodKind::Threshold)
            control<QLabel>(this, bodDirections()[d].speedLabel)->setText(speedCaption(numericValue(boxText(reg))));
}

void ThroughputBodDialog::spinnerMoved(const BodRegister &reg, QScrollBar *bar, int value)
{
    if (value == 0)
        return;
    // Above the rest value is the lower arrow.
    box(reg)->setText(QString::number(spin(reg.kind, numericValue(boxText(reg)), value < 0)));
    {
        const QSignalBlocker returning(bar);
        bar->setValue(0);
    }
    if (reg.kind == BodKind::Threshold)
        showSpeed(reg.direction);
}

// ---------------------------------------------------------------------------

SettingValues ThroughputBodDialog::readAdapter()
{
    SettingValues values;
    runExchange(ProgressScope::Reading, [&] {
        const bool read = BodRead(session(), values, this);
        showValues(values);
        if (read) // the speeds once everything is read
            for (int d = 0; d < 2; ++d)
                showSpeed(d);
    });
    return values;
}

void ThroughputBodDialog::showValues(const SettingValues &values)
{
    const QString section = nameOf(kBodSection);
    for (const BodDirection &dir : bodDirections())
        if (const auto value = values.get(section, nameOf(dir.key)))
            for (int v = 0; v < 4; ++v)
                if (*value == QString::number(v))
                    option(this, dir.options[v].control)->setChecked(true);
    for (const BodRegister &reg : bodRegisters())
        if (const auto value = values.get(section, nameOf(reg.key)))
            box(reg)->setText(boxTextOf(reg, *value));
}

SettingValues ThroughputBodDialog::shownValues() const
{
    SettingValues values;
    const QString section = nameOf(kBodSection);
    for (int d = 0; d < 2; ++d)
        if (direction(d) != kNoChoice)
            values.set(section, nameOf(bodDirections()[d].key), QString::number(direction(d)));
    for (const BodRegister &reg : bodRegisters())
        values.set(section, nameOf(reg.key), registerTextOf(reg, boxText(reg)));
    return values;
}

void ThroughputBodDialog::registerSettings()
{
    registerAndClose([this] {
        // The first box to be sent that is out of range is named and nothing
        // is sent.
        const auto message = bodRangeMessage([this](const BodRegister &reg) -> std::optional<QString> {
            if (!sends(nameOf(kBodSection), nameOf(reg.key)))
                return std::nullopt;
            return boxText(reg);
        });
        if (message) {
            Messages::warn(*message, this);
            return false;
        }
        return BodWrite(session(), sendable(shownValues()), this);
    });
}

} // namespace korvanta
