// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/session/commevents.h"

#include "link/transport/link.h"
#include "link/session/messages.h"

#include <algorithm>

namespace korvanta {

CommEventHandler::CommEventHandler(Link &link, QObject *parent) : QObject(parent), m_link(link)
{
    connect(&link, &Link::commEvent, this, &CommEventHandler::handle);
}

QString CommEventHandler::errorMessage(int code)
{
    switch (code) {
    case comEvSend:
    case comEvReceive:
    case comEvCTS:
    case comEvDSR:
    case comEvCD:
    case comEvRing:
    case comEvEOF:
    case comEventBreak:
    case comEventFrame:
    case comEventRxParity:
        return {};
    case comEventCTSTO:
        return CommEventHandler::tr("CTS 時間切れｴﾗｰを検出しました");
    case comEventDSRTO:
        return CommEventHandler::tr("DSR 時間切れｴﾗｰを検出しました");
    case comEventOverrun:
        return CommEventHandler::tr("ﾃﾞｰﾀ喪失ｴﾗｰが発生しました");
    case comEventCDTO:
        return CommEventHandler::tr("ｷｬﾘｱ検出時間切れｴﾗｰを検出しました");
    case comEventRxOver:
        return CommEventHandler::tr("ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました");
    case comEventTxFull:
        return CommEventHandler::tr("送信ﾊﾞｯﾌｧﾌﾙｴﾗｰが発生しました");
    case comEventLineLost:
        return CommEventHandler::tr("機器との回線が切れました。ケーブルと機器の電源を確かめてください。");
    default:
        return CommEventHandler::tr("未知ｴﾗｰが発生しました");
    }
}

void CommEventHandler::handle(int code)
{
    if (code == comEvReceive) {
        if (m_sink) {
            const QByteArray text = m_link.input();
            if (!text.isEmpty())
                m_sink(text);
        }
        return;
    }
    if (errorMessage(code).isEmpty())
        return;
    if (std::find(m_errors.begin(), m_errors.end(), code) != m_errors.end())
        return; // the same error, already asked about or waiting
    m_errors.push_back(code);
    if (m_errors.size() > 1)
        return; // its turn comes when the open box closes
    while (!m_errors.empty()) {
        if (ask(m_errors.front())) {
            // The line is closed: what waits concerned it.
            m_errors.clear();
            m_link.close();
            return;
        }
        m_errors.pop_front();
    }
}

bool CommEventHandler::ask(int code)
{
    Messages::beep();
    MessageRequest request;
    request.icon = MessageBox::NoIcon;
    request.title = tr("［ｷｬﾝｾﾙ］中断 , ［OK］無視");
    request.text = errorMessage(code);
    if (code == comEventLineLost && !m_link.whyLost().isEmpty()) // what the link knows of it
        request.text += u'\n' + m_link.whyLost();
    // Said again under the text: a window manager may cut the title short.
    request.informative = tr("［OK］はエラーを無視して続けます。［キャンセル］は機器との回線を閉じます。"
                             "ユーティリティを起動し直すまで、機器とは通信できません。");
    request.buttons = MessageBox::Ok | MessageBox::Cancel;
    return Messages::show(request, m_parent) == MessageBox::Cancel;
}

} // namespace korvanta
