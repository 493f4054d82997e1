// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/inputfilter.h"

#include <QLineEdit>
#include <QValidator>

namespace korvanta {

namespace {
class CharsetValidator : public QValidator {
public:
    CharsetValidator(const QString &allowed, QObject *parent) : QValidator(parent), m_allowed(allowed) {}

    State validate(QString &input, int &pos) const override
    {
        Q_UNUSED(pos);
        return charset::fits(input, m_allowed) ? Acceptable : Invalid;
    }

    void fixup(QString &input) const override
    {
        QString kept;
        for (const QChar c : input)
            if (m_allowed.contains(c))
                kept += c;
        input = kept;
    }

private:
    QString m_allowed;
};
} // namespace

void restrictInput(QLineEdit *box, const QString &allowed, int maxLength)
{
    box->setMaxLength(maxLength);
    box->setValidator(new CharsetValidator(allowed, box));
}

void showReadText(QLineEdit *box, const QString &text)
{
    if (text.size() > box->maxLength())
        box->setMaxLength(int(text.size()));
    box->setText(text);
}

} // namespace korvanta
