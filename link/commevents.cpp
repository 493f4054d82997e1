#include "link/commevents.h"

#include "link/link.h"
#include "link/messages.h"

#include <QWidget>

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
        return QStringLiteral("CTS 時間切れｴﾗｰを検出しました");
    case comEventDSRTO:
        return QStringLiteral("DSR 時間切れｴﾗｰを検出しました");
    case comEventOverrun:
        return QStringLiteral("ﾃﾞｰﾀ喪失ｴﾗｰが発生しました");
    case comEventCDTO:
        return QStringLiteral("ｷｬﾘｱ検出時間切れｴﾗｰを検出しました");
    case comEventRxOver:
        return QStringLiteral("ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました");
    case comEventTxFull:
        return QStringLiteral("送信ﾊﾞｯﾌｧﾌﾙｴﾗｰが発生しました");
    default:
        return QStringLiteral("未知ｴﾗｰが発生しました");
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
    const QString message = errorMessage(code);
    // One box at a time: errors raised while the operator is still answering
    // are folded into that answer.
    if (message.isEmpty() || m_asking)
        return;
    m_asking = true;
    Messages::beep();
    MessageRequest request;
    request.icon = QMessageBox::NoIcon;
    request.title = QStringLiteral("［ｷｬﾝｾﾙ］中断 , ［OK］無視");
    request.text = message;
    request.buttons = QMessageBox::Ok | QMessageBox::Cancel;
    const auto answer = Messages::show(request, m_parent);
    m_asking = false;
    if (answer == QMessageBox::Cancel)
        m_link.close();
}

} // namespace korvanta
