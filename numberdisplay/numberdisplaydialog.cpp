// SPDX-License-Identifier: GPL-3.0-or-later
#include "numberdisplay/numberdisplaydialog.h"

#include "link/session/session.h"
#include "numberdisplay/numberdisplaycore.h"
#include "ui/caption.h"
#include "ui/helpviewer.h"
#include "ui/progresswindow.h"
#include "ui/windows.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace korvanta {

using namespace numberdisplay;

namespace {
QPushButton *button(const char *name, const QString &caption, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}
} // namespace

NumberDisplayDialog::NumberDisplayDialog(Session &session, int port, QWidget *opener)
    : SettingsDialog(session, opener, QStringLiteral("Form14")), m_port(port)
{
    auto *layout = new QVBoxLayout(this);
    for (const Setting *s : {&numberDisplay(), &iNumber()}) {
        auto *frame = new QGroupBox(tr(s->frameCaption), this);
        frame->setObjectName(QLatin1String(s->frame));
        auto *inner = new QVBoxLayout(frame);
        QList<QWidget *> controls;
        for (const Option &o : s->options) {
            auto *option = new QRadioButton(tr(o.caption), frame);
            option->setObjectName(QLatin1String(o.control));
            inner->addWidget(option);
            optionsOf(*s).push_back(option);
            controls << option;
        }
        bindSetting(QLatin1String(numberdisplay::port(m_port).section), QLatin1String(s->key), controls);
        if (s == &numberDisplay()) {
            m_note = new Caption(frame);
            m_note->setObjectName(QStringLiteral("Label1"));
            m_note->setWordWrap(true);
            inner->addWidget(m_note);
        }
        layout->addWidget(frame);
    }
    auto *buttons = new QHBoxLayout;
    auto *ok = button("Command3", tr("登録"), this);
    auto *cancel = button("Command2", tr("キャンセル"), this);
    auto *help = button("Command1", tr("ヘルプ"), this);
    for (QPushButton *b : {ok, cancel, help})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &NumberDisplayDialog::registerSettings);
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
    connect(help, &QPushButton::clicked, this,
            [this] { showHelp(this->session(), numberdisplay::port(m_port).helpContext, this); });
}

std::vector<QRadioButton *> &NumberDisplayDialog::optionsOf(const Setting &setting)
{
    return &setting == &numberDisplay() ? m_display : m_iNumber;
}

std::vector<bool> NumberDisplayDialog::checked(const Setting &setting)
{
    std::vector<bool> c;
    for (QRadioButton *o : optionsOf(setting))
        c.push_back(o->isChecked());
    return c;
}

void NumberDisplayDialog::select(const Setting &setting, char value)
{
    const auto &options = optionsOf(setting);
    for (size_t i = 0; i < options.size(); ++i)
        if (setting.options[i].value == value)
            options[i]->setChecked(true);
}

SettingValues NumberDisplayDialog::readAdapter()
{
    const Port &p = numberdisplay::port(m_port);
    setWindowTitle(tr(p.caption));
    m_note->setText(tr(p.note));
    m_note->setVisible(!m_note->text().isEmpty());
    SettingValues values;
    runExchange(ProgressScope::Reading, [&] { NdRead(session(), m_port, values, this); });
    showValues(values);
    // TEL2 and TEL3 cannot both show numbers.
    if (displayLocked(m_port, session().NumberDisplayFlags))
        for (QRadioButton *o : m_display)
            o->setEnabled(false);
    // The note may have gone: centre at the size that is left.
    centreOnScreen(this);
    return values;
}

SettingValues NumberDisplayDialog::shownValues()
{
    SettingValues values;
    const QString section = QLatin1String(numberdisplay::port(m_port).section);
    for (const Setting *setting : {&numberDisplay(), &iNumber()})
        if (const auto value = wanted(*setting, checked(*setting)))
            values.set(section, QLatin1String(setting->key), QString(QLatin1Char(*value)));
    return values;
}

void NumberDisplayDialog::showValues(const SettingValues &values)
{
    const QString section = QLatin1String(numberdisplay::port(m_port).section);
    for (const Setting *setting : {&numberDisplay(), &iNumber()})
        if (const auto value = values.get(section, QLatin1String(setting->key)); value && value->size() == 1)
            select(*setting, value->at(0).toLatin1());
}

void NumberDisplayDialog::registerSettings()
{
    // After a failed write the window stays open and its opener stays
    // disabled: only one window works on the adapter at a time.
    registerAndClose([this] { return NdWrite(session(), m_port, sendable(shownValues()), this); });
}

} // namespace korvanta
