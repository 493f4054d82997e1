// SPDX-License-Identifier: GPL-3.0-or-later
#include "telephone/telephonedialog.h"

#include "link/session/messages.h"
#include "link/session/session.h"
#include "numberdisplay/numberdisplaydialog.h"
#include "telephone/telephonecore.h"
#include "ui/caption.h"
#include "ui/formparts.h"
#include "ui/helpviewer.h"
#include "ui/inputfilter.h"
#include "ui/progresswindow.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace korvanta {

using namespace telephone;

namespace {

// A caption of the window's tables in the operator's language.
QString u(const char *caption)
{
    return QCoreApplication::translate("korvanta::TelephoneDialog", caption);
}

// Where the frames of a port tab stand: row, column, rows spanned.
struct Place {
    const char *key; // a choice or text key, or "" for the number registration
    int row;
    int column;
    int rowSpan;
};
const Place kPortPlaces[] = {
    {"JIKO_NO", 0, 0, 1}, {"CYAKU_TRN", 1, 0, 1}, {"TUCHI", 2, 0, 2},
    {"ONSEI", 0, 1, 1},   {"CALLWAIT", 1, 1, 1},  {"CYAKU", 2, 1, 1}, {"GLOBAL", 3, 1, 1},
    {"SUB_ADR", 0, 2, 1}, {"SHIKI", 1, 2, 1},     {"HASHIN", 2, 2, 1}, {"RING", 3, 2, 1},
    {"CHIEN", 0, 3, 4},
};

const Place kCommonPlaces[] = {
    {"INUMBER", 0, 0, 1}, {"CHIEN", 0, 1, 1}, {"GAISEN", 1, 0, 1},
    {"TANSYUKU", 1, 1, 1}, {"RING", 2, 0, 1}, {"NDSQ", 2, 1, 1},
};

// A frame's place; one the table lacks goes on a row of its own below every
// other frame of the grid.
template <size_t N> Place placeOf(const Place (&places)[N], const char *key, const QGridLayout *grid)
{
    int below = grid->rowCount();
    for (const Place &p : places) {
        if (qstrcmp(p.key, key) == 0)
            return p;
        below = std::max(below, p.row + p.rowSpan);
    }
    return {key, below, 0, 1};
}

} // namespace

TelephoneDialog::TelephoneDialog(Session &session, QWidget *opener)
    : SettingsDialog(session, opener, QStringLiteral("Form2"))
{
    setWindowTitle(u(kWindowTitle));
    auto *layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    for (int p = 0; p < kPortCount; ++p)
        m_tabs->addTab(buildPortTab(p), u(ports()[p].tabCaption));
    m_tabs->addTab(buildCommonTab(), u(kCommonTabCaption));
    layout->addWidget(m_tabs);
    bindSettings();

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    const std::pair<const char *, const char *> kButtons[] = {
        {"Command3", QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "登録")},
        {"Command2", QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "キャンセル")},
        {"Command1", QT_TRANSLATE_NOOP("korvanta::TelephoneDialog", "ヘルプ")}};
    for (const auto &[name, caption] : kButtons) {
        auto *b = new QPushButton(u(caption), this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        b->setMinimumWidth(96);
        buttons->addWidget(b);
        m_controls.insert(QLatin1String(name), b);
    }
    buttons->addStretch();
    layout->addLayout(buttons);

    connect(control<QPushButton>("Command3"), &QPushButton::clicked, this, &TelephoneDialog::registerSettings);
    connect(control<QPushButton>("Command2"), &QPushButton::clicked, this, &QWidget::close);
    connect(control<QPushButton>("Command1"), &QPushButton::clicked, this, &TelephoneDialog::showHelp);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) { this->session().CurrentTelTab = index; });

    // The key pairing rules, for a click and for a selection from a reply.
    for (const ChoiceValue &v : holdKey().values)
        connect(control<QRadioButton>(v.control[0]), &QRadioButton::toggled, this, [this, value = v.value](bool on) {
            if (on)
                holdKeySelected(value);
        });
    for (const ChoiceValue &v : shortDialKey().values)
        connect(control<QRadioButton>(v.control[0]), &QRadioButton::toggled, this, [this, value = v.value](bool on) {
            if (on)
                shortDialKeySelected(value);
        });
}

// ---------------------------------------------------------------------------
// Building

QGroupBox *TelephoneDialog::frame(const char *name, const char *caption, QWidget *parent)
{
    auto *f = new QGroupBox(u(caption), parent);
    f->setObjectName(QLatin1String(name));
    m_controls.insert(QLatin1String(name), f);
    return f;
}

QAbstractButton *TelephoneDialog::option(const char *name, const char *caption, QWidget *parent, bool checkBox)
{
    QAbstractButton *b = checkBox ? static_cast<QAbstractButton *>(new QCheckBox(u(caption), parent))
                                  : static_cast<QAbstractButton *>(new QRadioButton(u(caption), parent));
    b->setObjectName(QLatin1String(name));
    m_controls.insert(QLatin1String(name), b);
    return b;
}

QLineEdit *TelephoneDialog::box(const char *name, QWidget *parent)
{
    auto *b = new QLineEdit(parent);
    b->setObjectName(QLatin1String(name));
    m_controls.insert(QLatin1String(name), b);
    return b;
}

void TelephoneDialog::addChoiceOptions(QGroupBox *f, const std::vector<ChoiceValue> &values, int port,
                                       bool horizontal, bool checkBoxes)
{
    QBoxLayout *row = horizontal ? static_cast<QBoxLayout *>(new QHBoxLayout)
                                 : static_cast<QBoxLayout *>(new QVBoxLayout);
    for (const ChoiceValue &v : values)
        row->addWidget(option(v.control[port], v.caption, f, checkBoxes));
    if (horizontal)
        row->addStretch();
    auto *outer = qobject_cast<QBoxLayout *>(f->layout());
    if (!outer) {
        outer = new QVBoxLayout(f);
        outer->setAlignment(Qt::AlignTop);
    }
    outer->addLayout(row);
}

QWidget *TelephoneDialog::numberWithSpin(const char *boxName, const char *spinName, const char *unitName,
                                         const char *unitCaption, bool unitCounts, int maxLength,
                                         const NumberRange &range,
                                         QGroupBox *parent)
{
    auto *holder = new QWidget(parent);
    auto *row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    QLineEdit *b = box(boxName, holder);
    // Digits only, typed or pasted: the text goes into an AT command line.
    restrictInput(b, charset::kDigits, maxLength);
    b->setFixedWidth(b->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 3 + 16);
    auto *spin = new QScrollBar(Qt::Vertical, holder);
    spin->setObjectName(QLatin1String(spinName));
    spin->setRange(-1, 1);
    spin->setValue(0);
    spin->setFixedHeight(b->sizeHint().height());
    m_controls.insert(QLatin1String(spinName), spin);
    form::nameControls(parent->title(), {b, spin}); // labelled by the frame alone
    // A spin rests at 0; its upper arrow (-1) counts up, its lower (1) down.
    connect(spin, &QScrollBar::valueChanged, this, [this, b, spin, range](int value) {
        if (value == 0)
            return;
        b->setText(spinStep(b->text(), value < 0 ? 1 : -1, range));
        spin->setValue(0);
    });
    row->addWidget(b);
    row->addWidget(spin);
    if (unitName) {
        auto *unit = new Caption(unitText(unitCaption, unitCounts, range.max), holder);
        unit->setObjectName(QLatin1String(unitName));
        m_controls.insert(QLatin1String(unitName), unit);
        row->addWidget(unit);
        // A unit that counts follows the number in the box; an empty box or
        // one that is no number reads as many.
        if (unitCounts)
            connect(b, &QLineEdit::textChanged, unit, [unit, unitCaption, range](const QString &text) {
                bool number = false;
                const int n = text.toInt(&number);
                unit->setText(unitText(unitCaption, true, number ? n : range.max));
            });
    }
    row->addStretch();
    return holder;
}

QWidget *TelephoneDialog::buildPortTab(int p)
{
    const Port &port = ports()[p];
    auto *tab = new QWidget;
    auto *grid = new QGridLayout(tab);
    QHash<QString, QGroupBox *> frames;
    const auto frameFor = [&](const char *name, const char *caption, const char *key) {
        QGroupBox *&f = frames[QLatin1String(name)];
        if (!f) {
            f = frame(name, caption, tab);
            const Place place = placeOf(kPortPlaces, key, grid);
            grid->addWidget(f, place.row, place.column, place.rowSpan, 1);
        }
        return f;
    };

    // Number registration: own number and subaddress, labels above boxes.
    {
        QGroupBox *f = frameFor(port.numberFrame, kNumberFrameCaption, kOwnNumberKey);
        auto *inner = new QVBoxLayout(f);
        inner->setAlignment(Qt::AlignTop);
        for (const PortText &t : portTexts()) {
            if (qstrcmp(t.frame[p], port.numberFrame) != 0)
                continue;
            auto *label = new Caption(u(t.caption), f);
            label->setObjectName(QLatin1String(t.label[p]));
            m_controls.insert(QLatin1String(t.label[p]), label);
            QLineEdit *b = box(t.box[p], f);
            label->setBuddy(b);
            restrictInput(b, t.charset, t.maxLength);
            b->setMinimumWidth(b->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 20);
            inner->addWidget(label);
            inner->addWidget(b);
        }
    }

    for (const PortChoice &c : portChoices()) {
        QGroupBox *f = frameFor(c.frame[p], c.frameCaption, c.key);
        const bool horizontal = c.values.size() == 2;
        addChoiceOptions(f, c.values, p, horizontal, c.checkBoxes);
        if (qstrcmp(c.key, "CHIEN") == 0) {
            auto *note = new Caption(u(kNote), f);
            note->setObjectName(QLatin1String(port.noteLabel));
            note->setWordWrap(true);
            // Runs of blanks (or line breaks) mark the note's lines: as wide as its widest line.
            int width = 0;
            static const QRegularExpression kLineBreak(QStringLiteral("\\s{2,}|\\n"));
            for (const QString &line : u(kNote).split(kLineBreak, Qt::SkipEmptyParts))
                width = std::max(width, note->fontMetrics().horizontalAdvance(line));
            note->setFixedWidth(width + 2);
            m_controls.insert(QLatin1String(port.noteLabel), note);
            f->layout()->addWidget(note);
        }
    }

    // The forwarding number, in the call forwarding frame below its choices.
    {
        const PortText &t = *portText(kForwardingKey);
        QGroupBox *f = frames.value(QLatin1String(t.frame[p]));
        auto *label = new Caption(u(t.caption), f);
        label->setObjectName(QLatin1String(t.label[p]));
        m_controls.insert(QLatin1String(t.label[p]), label);
        QLineEdit *b = box(t.box[p], f);
        label->setBuddy(b);
        restrictInput(b, t.charset, t.maxLength);
        f->layout()->addWidget(label);
        f->layout()->addWidget(b);
    }

    // Dial time: a number box with its spin.
    {
        const PortText &t = dialTime();
        QGroupBox *f = frameFor(t.frame[p], t.frameCaption, t.key);
        auto *inner = new QVBoxLayout(f);
        inner->setAlignment(Qt::AlignTop);
        inner->addWidget(
            numberWithSpin(t.box[p], t.spin[p], t.unitLabel[p], t.unitCaption, false, t.maxLength, t.range, f));
    }

    auto *detail = new QPushButton(u(port.detailCaption), tab);
    detail->setObjectName(QLatin1String(port.detailButton));
    detail->setAutoDefault(false);
    m_controls.insert(QLatin1String(port.detailButton), detail);
    connect(detail, &QPushButton::clicked, this, &TelephoneDialog::openDetail);
    grid->addWidget(detail, 4, 3, Qt::AlignBottom);
    grid->setRowStretch(4, 1);
    return tab;
}

QWidget *TelephoneDialog::buildCommonTab()
{
    auto *tab = new QWidget;
    auto *grid = new QGridLayout(tab);
    for (const CommonSetting &s : commonSettings()) {
        QGroupBox *f = frame(s.frame, s.frameCaption, tab);
        if (s.isChoice()) {
            addChoiceOptions(f, s.values, 0, s.values.size() == 2);
        } else {
            auto *inner = new QVBoxLayout(f);
            inner->setAlignment(Qt::AlignTop);
            inner->addWidget(
                numberWithSpin(s.box, s.spin, s.unitLabel, s.unitCaption, s.unitCounts, s.maxLength, s.range, f));
        }
        const Place place = placeOf(kCommonPlaces, s.key, grid);
        grid->addWidget(f, place.row, place.column, place.rowSpan, 1);
    }
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(2, 1);
    return tab;
}

void TelephoneDialog::bindSettings()
{
    const auto controlsOf = [this](const std::vector<ChoiceValue> &values, int port) {
        QList<QWidget *> controls;
        for (const ChoiceValue &v : values)
            controls << m_controls.value(QLatin1String(v.control[port]));
        return controls;
    };
    for (int p = 0; p < kPortCount; ++p) {
        const QString section = QLatin1String(ports()[p].section);
        for (const PortChoice &c : portChoices())
            bindSetting(section, QLatin1String(c.key), controlsOf(c.values, p));
        for (const PortText &t : portTexts())
            bindSetting(section, QLatin1String(t.key), {m_controls.value(QLatin1String(t.box[p]))});
    }
    for (const CommonSetting &s : commonSettings())
        bindSetting(QLatin1String(kCommonSection), QLatin1String(s.key),
                    s.isChoice() ? controlsOf(s.values, 0) : QList<QWidget *>{m_controls.value(QLatin1String(s.box))});
}

// ---------------------------------------------------------------------------
// Controls

QWidget *TelephoneDialog::controlNamed(const char *name) const
{
    if (const auto known = m_byTableName.constFind(name); known != m_byTableName.cend())
        return *known;
    QWidget *control = m_controls.value(QLatin1String(name));
    if (control)
        m_byTableName.insert(name, control);
    return control;
}

QString TelephoneDialog::text(const char *boxName) const
{
    return control<QLineEdit>(boxName)->text();
}

void TelephoneDialog::showRead(const char *boxName, const QString &value, int maxLength)
{
    // A value longer than the box takes is shown whole all the same: the box
    // holds what the work file holds, and "登録" sends back nothing the
    // operator did not change.
    QLineEdit *b = control<QLineEdit>(boxName);
    b->setMaxLength(maxLength);
    showReadText(b, value);
}

std::vector<bool> TelephoneDialog::checked(const std::vector<ChoiceValue> &values, int port) const
{
    std::vector<bool> on;
    for (const ChoiceValue &v : values)
        on.push_back(control<QAbstractButton>(v.control[port])->isChecked());
    return on;
}

void TelephoneDialog::select(const std::vector<ChoiceValue> &values, int port, const std::vector<bool> &on)
{
    for (size_t i = 0; i < values.size(); ++i) {
        auto *b = control<QAbstractButton>(values[i].control[port]);
        if (qobject_cast<QCheckBox *>(b) || on[i])
            b->setChecked(on[i]);
    }
}

SettingValues TelephoneDialog::shownValues() const
{
    SettingValues values;
    for (int p = 0; p < kPortCount; ++p) {
        const QString section = QLatin1String(ports()[p].section);
        for (const PortChoice &c : portChoices())
            if (const auto value = shownChoice(c, checked(c.values, p)))
                values.set(section, QLatin1String(c.key), QString(QLatin1Char(*value)));
        for (const PortText &t : portTexts())
            values.set(section, QLatin1String(t.key), text(t.box[p]));
    }
    const QString common = QLatin1String(kCommonSection);
    for (const CommonSetting &s : commonSettings()) {
        if (!s.isChoice()) {
            values.set(common, QLatin1String(s.key), text(s.box));
            continue;
        }
        QString value;
        const std::vector<bool> on = checked(s.values, 0);
        for (size_t i = 0; i < on.size(); ++i)
            if (on[i])
                value = QLatin1Char(s.values[i].value);
        // A group with no option selected shows nothing to send.
        if (!value.isEmpty())
            values.set(common, QLatin1String(s.key), value);
    }
    return values;
}

void TelephoneDialog::showValues(const SettingValues &values)
{
    for (int p = 0; p < kPortCount; ++p) {
        const QString section = QLatin1String(ports()[p].section);
        for (const PortText &t : portTexts())
            if (const auto v = values.get(section, QLatin1String(t.key)))
                showRead(t.box[p], *v, t.maxLength);
        for (const PortChoice &c : portChoices())
            if (const auto v = values.get(section, QLatin1String(c.key)); v && accepts(c, *v))
                select(c.values, p, checkedFor(c, v->at(0).toLatin1()));
    }
    const QString common = QLatin1String(kCommonSection);
    for (const CommonSetting &s : commonSettings()) {
        const auto v = values.get(common, QLatin1String(s.key));
        if (!v)
            continue;
        if (!s.isChoice()) {
            showRead(s.box, *v, s.maxLength);
            continue;
        }
        std::vector<bool> on;
        for (const ChoiceValue &c : s.values)
            on.push_back(*v == QLatin1Char(c.value));
        select(s.values, 0, on);
    }
}

void TelephoneDialog::holdKeySelected(char value)
{
    for (const ChoiceValue &v : shortDialKey().values)
        control<QWidget>(v.control[0])
            ->setEnabled((session().newFirmware() || !v.newFirmwareOnly) && !keysClash(value, v.value));
}

void TelephoneDialog::shortDialKeySelected(char value)
{
    for (const ChoiceValue &v : holdKey().values)
        control<QWidget>(v.control[0])->setEnabled(!keysClash(v.value, value));
}

void TelephoneDialog::applyFirmwareGate()
{
    if (session().newFirmware())
        return;
    for (int p = 0; p < kPortCount; ++p) {
        for (const PortChoice &c : portChoices()) {
            if (c.newFirmwareOnly)
                control<QWidget>(c.frame[p])->setEnabled(false);
            for (const ChoiceValue &v : c.values)
                if (c.newFirmwareOnly || v.newFirmwareOnly)
                    control<QWidget>(v.control[p])->setEnabled(false);
        }
    }
    for (const CommonSetting &s : commonSettings()) {
        for (const ChoiceValue &v : s.values)
            if (v.newFirmwareOnly)
                control<QWidget>(v.control[0])->setEnabled(false);
        if (s.newFirmwareOnly)
            for (const char *name : {s.frame, s.box, s.unitLabel})
                if (name)
                    control<QWidget>(name)->setEnabled(false);
    }
}

// ---------------------------------------------------------------------------
// Reading

SettingValues TelephoneDialog::readAdapter()
{
    m_tabs->setCurrentIndex(0);
    session().CurrentTelTab = 0;
    SettingValues values;
    runExchange(ProgressScope::Reading, [&] { telephone::readAll(session(), values, this); });
    // What was read before a failure shows all the same.
    showValues(values);
    // What older firmware lacks stays disabled, whether or not every read
    // got through.
    applyFirmwareGate();
    return values;
}

// ---------------------------------------------------------------------------
// Writing

void TelephoneDialog::registerSettings()
{
    registerAndClose([this] {
        const SettingValues wanted = sendable(shownValues());
        if (const auto problem = check(wanted, session().newFirmware())) {
            if (problem->exclamation)
                Messages::warn(problem->message, this);
            else
                Messages::inform(problem->message, this);
            return false;
        }
        return telephone::writeAll(session(), wanted, this);
    });
}

// ---------------------------------------------------------------------------
// Detail and help

void TelephoneDialog::openDetail()
{
    auto *detail = new NumberDisplayDialog(session(), session().CurrentTelTab, this);
    detail->openAndRead();
}

void TelephoneDialog::showHelp()
{
    const int tab = m_tabs->currentIndex();
    korvanta::showHelp(session(), tab < kPortCount ? ports()[tab].helpContext : kCommonHelpContext, this);
}

} // namespace korvanta
