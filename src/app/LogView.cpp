#include "LogView.h"

#include "PlainMessage.h"
#include "ToolButton.h"
#include "WinColour.h"

#include <QAction>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

LogView::LogView(SessionLog& log, QWidget* parent) : QWidget(parent), m_log(log) {
    setObjectName(QStringLiteral("log_panel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_close = makeToolButton(this, "log_close", QStringLiteral("Close Log Panel"),
                             QStyle::SP_TitleBarCloseButton);
    connect(m_close, &QToolButton::clicked, this, &LogView::closeRequested);
    m_text = new QTextEdit(this);
    m_text->setObjectName(QStringLiteral("ftplog"));
    m_text->setReadOnly(true);
    m_text->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_text, &QTextEdit::customContextMenuRequested, this, &LogView::showMenu);
    buildActions();
    auto* header = new QHBoxLayout;
    header->addStretch();
    header->addWidget(m_close);
    layout->addLayout(header);
    layout->addWidget(m_text);

    m_log.onAppended = [this](const SessionLog::Line& line) { append(line); };
    m_log.onCleared = [this] { m_text->clear(); };
}

void LogView::setLogBackground(int winColour) {
    paintBase(m_text, winColour);
}

void LogView::append(const SessionLog::Line& line) {
    QTextCursor cursor(m_text->document());
    cursor.movePosition(QTextCursor::End);
    if (!m_text->document()->isEmpty()) cursor.insertBlock();
    QTextCharFormat format;
    format.setForeground(ColourFromWin(line.colour));
    const QString stamp =
        m_times->isChecked() ? line.at.toString(QStringLiteral("HH:mm:ss ")) : QString();
    cursor.insertText(stamp + line.text, format);
    // The newest line stays in view, wrapped lines and all, once the layout has it.
    m_text->verticalScrollBar()->setValue(m_text->verticalScrollBar()->maximum());
    QMetaObject::invokeMethod(
        m_text, [bar = m_text->verticalScrollBar()] { bar->setValue(bar->maximum()); },
        Qt::QueuedConnection);
}

bool LogView::timeStamps() const {
    return m_times->isChecked();
}

void LogView::setTimeStamps(bool on) {
    if (m_times->isChecked() == on) return;
    m_times->setChecked(on);
}

void LogView::redraw() {
    m_text->clear();
    for (const SessionLog::Line& line : m_log.lines())
        append(line);
}

void LogView::buildActions() {
    auto item = [this](const char* name, const QString& text, const QKeySequence& key,
                       const std::function<void()>& run) {
        auto* a = new QAction(text, m_text);
        a->setObjectName(QLatin1String(name));
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetShortcut);
        connect(a, &QAction::triggered, this, run);
        m_text->addAction(a);
        return a;
    };
    // The log is read-only: Undo, Cut and Clear Selected change nothing.
    m_undo = item("log_undo", QStringLiteral("Undo"), QKeySequence::Undo, [] {});
    m_copy =
        item("log_copy", QStringLiteral("Copy"), QKeySequence::Copy, [this] { m_text->copy(); });
    m_cut = item("log_cut", QStringLiteral("Cut"), QKeySequence::Cut, [] {});
    m_clearSelected = item("log_clear_selected", QStringLiteral("Clear Selected"), {}, [] {});
    m_clearAll = item("log_clear_all", QStringLiteral("Clear All"), QKeySequence::Delete,
                      [this] { m_log.clear(); });
    m_save = item("log_save", QStringLiteral("Save Log"), {}, [this] { saveLog(); });
    m_selectAll = item("log_select_all", QStringLiteral("Select All"), QKeySequence::SelectAll,
                       [this] { m_text->selectAll(); });
    m_times = new QAction(QStringLiteral("Show Time Stamps"), m_text);
    m_times->setObjectName(QStringLiteral("log_times"));
    m_times->setCheckable(true);
    connect(m_times, &QAction::toggled, this, [this](bool on) {
        redraw();
        emit timeStampsChanged(on);
    });
}

void LogView::showMenu(const QPoint& at) {
    const bool selected = m_text->textCursor().hasSelection();
    for (QAction* a : {m_copy, m_cut, m_clearSelected})
        a->setEnabled(selected);
    QMenu menu(m_text);
    menu.addActions({m_undo, m_copy, m_cut, m_clearSelected, m_clearAll, m_save, m_selectAll});
    menu.addSeparator();
    menu.addAction(m_times);
    menu.exec(m_text->viewport()->mapToGlobal(at));
    for (QAction* a : {m_copy, m_cut, m_clearSelected})
        a->setEnabled(true);
}

void LogView::saveLog() {
    QFileDialog dialog(this, QStringLiteral("Save Log"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("log"));
    dialog.setNameFilter(QStringLiteral("1Quillon Log (*.log)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    QString error;
    if (!m_log.save(dialog.selectedFiles().first(), &error))
        PlainMessage::critical(this, QStringLiteral("1Quillon"), error);
}
