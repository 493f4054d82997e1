// SPDX-License-Identifier: GPL-3.0-or-later
#include "dataport/dataportdialog.h"

#include "dataport/bapdialog.h"
#include "dataport/controls.h"
#include "dataport/dataportcore.h"
#include "dataport/dialogparts.h"
#include "dataport/strings.h"
#include "dataport/throughputboddialog.h"
#include "link/session/session.h"
#include "ui/caption.h"
#include "ui/inputfilter.h"
#include "ui/windows.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

namespace korvanta {

using namespace dataport;

namespace {
// Where each frame of a port tab stands: row, column, rows, columns.
struct Place { const char *key; int row, column, rows, columns; };
constexpr Place kPortPlaces[] = {
    {"TUCHI", 0, 0, 2, 1}, {"CYAKU", 0, 1, 1, 1}, {"SHIKI", 1, 1, 1, 1},
    {"GLOBAL", 0, 2, 1, 1}, {"SUB_ADR", 1, 2, 1, 1}, {kINumberKey, 2, 0, 1, 2},
};
constexpr Place kNumberPlace{nullptr, 2, 2, 1, 1};

// A frame's place; one the table lacks goes on a row of its own below every
// other frame of the grid.
Place placeOf(const char *key, const QGridLayout *grid)
{
    int below = std::max(grid->rowCount(), kNumberPlace.row + kNumberPlace.rows);
    for (const Place &p : kPortPlaces) {
        if (qstrcmp(p.key, key) == 0)
            return p;
        below = std::max(below, p.row + p.rows);
    }
    return {key, below, 0, 1, 3};
}

// The option of a frame whose value is given turns on.
template <class Options, class ControlOf>
void choose(const QWidget *root, const Options &options, const std::optional<QString> &value, ControlOf control)
{
    if (value)
        for (const auto &o : options)
            if (*value == QLatin1String(o.value))
                option(root, control(o))->setChecked(true);
}

// The value of the frame's option that is on.
template <class Options, class ControlOf>
std::optional<QString> chosen(const QWidget *root, const Options &options, ControlOf control)
{
    for (const auto &o : options)
        if (option(root, control(o))->isChecked())
            return QString::fromLatin1(o.value);
    return std::nullopt;
}

const auto extControl = [](const ExtOption &o) { return o.control; };
} // namespace

DataPortDialog::DataPortDialog(Session &session, QWidget *opener)
    : SettingsDialog(session, opener, QStringLiteral("Form3"))
{
    setWindowTitle(text::kDataPortTitle);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->addTab(buildPortTab(DataPort), tr(port(DataPort).tabCaption));
    m_tabs->addTab(buildPortTab(UsbPort), tr(port(UsbPort).tabCaption));
    m_tabs->addTab(buildCommonTab(), text::kCommonTab);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) { m_selectedTab = index; });

    // Each setting's controls, from the tables.
    for (const PortIndex p : {DataPort, UsbPort}) {
        const Port &pt = port(p);
        for (const PortSetting &s : portSettings())
            bindSetting(nameOf(pt.section), nameOf(s.key), controlsOf(this, s.options, [p](const PortOption &o) { return o.control[p]; }));
        for (const NumberBox &b : numberBoxes())
            bindSetting(nameOf(pt.section), nameOf(b.key), {control<QLineEdit>(this, pt.*b.box)});
    }
    for (const ExtSetting &s : extSettings())
        bindSetting(nameOf(kExtSection), nameOf(s.key), controlsOf(this, s.options, extControl));

    auto *body = new QVBoxLayout;
    body->addWidget(m_tabs);
    layOut(*this, body, {"Command8", "Command7", "Command6"}, [this] { registerSettings(); },
           [this] { return helpContext(); });
}

int DataPortDialog::helpContext() const
{
    return m_selectedTab == 2 ? 6 : port(PortIndex(m_selectedTab)).helpContext;
}

QWidget *DataPortDialog::buildPortTab(PortIndex p)
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    for (const PortSetting &s : portSettings()) {
        QGroupBox *frame = makeFrame(s.frame[p], tr(s.frameCaption), page);
        for (const PortOption &o : s.options)
            addOption(frame, o.control[p], tr(p == UsbPort && o.usbCaption ? o.usbCaption : o.caption));
        const Place at = placeOf(s.key, grid);
        grid->addWidget(frame, at.row, at.column, at.rows, at.columns);
    }

    // The own address box takes telephone-number characters, the subaddress
    // box subaddress characters, on both ports.
    const Port &pt = port(p);
    QGroupBox *numbers = makeFrame(pt.numberFrame, text::kNumberFrame, page);
    for (const NumberBox &b : numberBoxes()) {
        auto *label = new Caption(tr(b.caption), numbers);
        label->setObjectName(nameOf(pt.*b.label));
        auto *box = new QLineEdit(numbers);
        box->setObjectName(nameOf(pt.*b.box));
        restrictInput(box, b.allowed, b.maxLength);
        label->setBuddy(box);
        numbers->layout()->addWidget(label);
        numbers->layout()->addWidget(box);
    }
    auto *numberBox = control<QLineEdit>(numbers, pt.numberBox);
    numberBox->setMinimumWidth(numberBox->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 24);
    static_cast<QVBoxLayout *>(numbers->layout())->addStretch();
    grid->addWidget(numbers, kNumberPlace.row, kNumberPlace.column, kNumberPlace.rows, kNumberPlace.columns);
    return page;
}

QWidget *DataPortDialog::buildCommonTab()
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    auto frameOf = [&](const char *key) {
        const ExtSetting &s = extSetting(key);
        QGroupBox *frame = makeFrame(s.frame, tr(s.frameCaption), page);
        for (const ExtOption &o : s.options)
            addOption(frame, o.control, tr(o.caption));
        return frame;
    };
    auto *bapButton = makeButton("Command5", text::kBapDetail, page);
    auto *bodButton = makeButton("Command4", text::kBodDetail, page);
    connect(bapButton, &QPushButton::clicked, this, &DataPortDialog::openBapDetail);
    connect(bodButton, &QPushButton::clicked, this, &DataPortDialog::openBodDetail);

    grid->addWidget(frameOf("CYAKU"), 0, 0);
    grid->addWidget(frameOf("REBOD"), 1, 0, 2, 1);
    grid->addWidget(frameOf("CYANNEL"), 3, 0);
    grid->addWidget(frameOf(kBacpKey), 0, 1);
    grid->addWidget(bapButton, 1, 1, Qt::AlignTop);
    grid->addWidget(frameOf(kThroughputKey), 2, 1);
    grid->addWidget(bodButton, 3, 1, Qt::AlignTop);
    grid->setRowStretch(4, 1);

    // Each detail button is usable only while its feature is switched on. The
    // page is not yet part of the dialog: the options are looked up in it.
    const auto enables = [page](const char *on, const char *off, QPushButton *button) {
        for (const auto &[name, enabled] : {std::pair{on, true}, std::pair{off, false}})
            connect(page->findChild<QRadioButton *>(nameOf(name)), &QRadioButton::toggled, button,
                    [button, enabled = enabled](bool checked) {
                        if (checked)
                            button->setEnabled(enabled);
                    });
    };
    enables("Option17", "Option18", bodButton);
    enables("Option4", "Option13", bapButton);
    return page;
}

// ---------------------------------------------------------------------------
// Reading and writing

SettingValues DataPortDialog::readAdapter()
{
    m_selectedTab = 0;
    Session &s = session();
    SettingValues values;
    runExchange(ProgressScope::Reading, [&] {
        const bool read = readForm3(s, values, this);
        showValues(values);
        if (read)
            centreOnScreen(this);
    });
    // Older firmware knows no "follow the network contract"; it stays off for
    // the whole showing on both ports, whatever the readings did.
    if (s.NewFirmwareFlag.toInt() == 0)
        for (const Port &pt : ports())
            option(this, pt.networkOption)->setEnabled(false);
    return values;
}

void DataPortDialog::showValues(const SettingValues &values)
{
    for (const PortIndex p : {DataPort, UsbPort}) {
        const QString section = nameOf(port(p).section);
        for (const PortSetting &s : portSettings())
            choose(this, s.options, values.get(section, nameOf(s.key)), [p](const PortOption &o) { return o.control[p]; });
        for (const NumberBox &b : numberBoxes())
            if (const auto value = values.get(section, nameOf(b.key)))
                showReadText(control<QLineEdit>(this, port(p).*b.box), *value);
    }
    for (const ExtSetting &s : extSettings())
        choose(this, s.options, values.get(nameOf(kExtSection), nameOf(s.key)), extControl);
}

SettingValues DataPortDialog::shownValues() const
{
    SettingValues values;
    const auto put = [&values](const char *section, const char *key, const std::optional<QString> &value) {
        if (value)
            values.set(nameOf(section), nameOf(key), *value);
    };
    for (const PortIndex p : {DataPort, UsbPort}) {
        const Port &pt = port(p);
        for (const PortSetting &s : portSettings())
            put(pt.section, s.key, chosen(this, s.options, [p](const PortOption &o) { return o.control[p]; }));
        for (const NumberBox &b : numberBoxes())
            put(pt.section, b.key, control<QLineEdit>(this, pt.*b.box)->text());
    }
    for (const ExtSetting &s : extSettings())
        put(kExtSection, s.key, chosen(this, s.options, extControl));
    return values;
}

void DataPortDialog::registerSettings()
{
    Session &s = session();
    registerAndClose([&] { return writeForm3(s, sendable(shownValues()), this); });
}

// ---------------------------------------------------------------------------
// Detail dialogs: each disables this dialog while it is open.

void DataPortDialog::openBodDetail()
{
    (new ThroughputBodDialog(session(), this))->openAndRead();
}

void DataPortDialog::openBapDetail()
{
    (new BapDialog(session(), this))->openAndRead();
}

} // namespace korvanta
