// "Confirm File Replace": the file is already there; overwrite, skip, rename or
// transfer the rest, for this file or (from each button's menu) for all. Without an
// answer, the countdown's answer (the remembered decision where it destroys nothing the
// user has not chosen to) is taken when it ends; the close box
// gives "" (the caller skips the file).
#pragma once

#include "FileDecisions.h"

#include <QDialog>
#include <QTimer>

class QLabel;

class Tfile_replace : public QDialog {
    Q_OBJECT
public:
    Tfile_replace(const ExistingFile& file, const QString& remembered, QWidget* parent = nullptr);

    QString Result() const { return m_result; }
    // The countdown answered, not the user.
    bool TimedOut() const { return m_timedOut; }

private:
    void choose(const QString& result);
    void tick();

    QString m_result;
    QString m_remembered;
    bool m_timedOut = false;
    QLabel* m_timeElapsed = nullptr;
    QTimer m_timer;
};
