// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the application window tests share: the simulated adapter on an
// in-process link, a work file in a temporary folder, a session with short
// deadlines, a recorder for message boxes, and a way to work a modal window
// while its exec() runs.

#include "link/session/messages.h"
#include "link/session/session.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "tests/messagerecorder.h"
#include "workfile/workfile.h"

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>

// Runs each step, in turn, on the next modal window that shows (the port
// dialog again and again, a terminal, ...), once its exec() is running.
class ModalSteps : public QObject {
public:
    using Step = std::function<void(QWidget *window)>;

    explicit ModalSteps(std::initializer_list<Step> steps) : m_steps(steps) { qApp->installEventFilter(this); }

    int shown = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::Show && window && window->isWindow()
            && window->windowModality() != Qt::NonModal) {
            ++shown;
            if (!m_steps.empty()) {
                Step step = m_steps.front();
                m_steps.pop_front();
                QPointer<QWidget> target(window);
                QTimer::singleShot(0, this, [step, target] {
                    if (target)
                        step(target);
                });
            }
        }
        return false;
    }

private:
    std::deque<Step> m_steps;
};

struct AppFixture {
    AppFixture() : workFile(dir.filePath("mail.ini")), link(adapter), session(link, workFile, korvanta::Timing{}.scaled(20))
    {
        link.open();
        session.portName = QStringLiteral("simulated"); // the adapter's history is kept under it
    }

    QTemporaryDir dir;
    korvanta::WorkFile workFile;
    korvanta::sim::SimulatedAdapter adapter;
    korvanta::sim::SimulatedLink link;
    korvanta::Session session;
};
