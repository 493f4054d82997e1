// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every window test uses to see the message boxes: installs itself as the
// utility's message seam, records each box, answers it, and silences the beep.

#include "link/session/messages.h"

#include <QList>
#include <QStringList>
#include <functional>

// Records every message box and answers it.
struct MessageRecorder {
    MessageRecorder()
    {
        korvanta::Messages::setHandler([this](const korvanta::MessageRequest &r) {
            boxes << r;
            if (onBox)
                onBox(r);
            return answer;
        });
        korvanta::Messages::setBeepHandler([] {});
    }
    ~MessageRecorder() { korvanta::Messages::setHandler(nullptr); }

    QStringList texts() const
    {
        QStringList out;
        for (const auto &b : boxes)
            out << b.text;
        return out;
    }

    QList<korvanta::MessageRequest> boxes;
    korvanta::MessageBox::Button answer = korvanta::MessageBox::Ok;
    std::function<void(const korvanta::MessageRequest &)> onBox;
};
