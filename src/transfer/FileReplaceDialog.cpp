#include "FileReplaceDialog.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QToolButton>

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

} // namespace

Tfile_replace::Tfile_replace(const ExistingFile& file, const QString& remembered, QWidget* parent)
    : QDialog(parent), m_remembered(remembered) {
    setObjectName(QStringLiteral("file_replace"));
    setWindowTitle(QStringLiteral("Confirm File Replace"));
    setFixedSize(415, 228);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* image = label(this, "Image1", QString());
    image->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    top->addWidget(image);
    auto* fileName = label(this, "Label1",
                           QStringLiteral("This folder already contains the file named <b>%1</b>")
                               .arg(file.name.toHtmlEscaped()));
    fileName->setTextFormat(Qt::RichText);
    fileName->setWordWrap(true);
    top->addWidget(fileName, 1);
    layout->addLayout(top);
    layout->addWidget(
        label(this, "Label2", QStringLiteral("Would you Like to replace the existing file")));

    const QIcon icon = QFileIconProvider().icon(QFileInfo(file.name));
    auto side = [&](const char* iconName, const char* sizeName, const char* dateLabel,
                    const char* dateName, const QString& size, const QString& date) {
        auto* grid = new QGridLayout;
        auto* i = label(this, iconName, QString());
        i->setPixmap(icon.pixmap(32, 32));
        grid->addWidget(i, 0, 0, 2, 1);
        grid->addWidget(label(this, sizeName, size + QStringLiteral(" bytes")), 0, 1);
        auto* modified = label(this, dateLabel, QStringLiteral("modified:"));
        auto* when = label(this, dateName, date);
        modified->setVisible(!date.isEmpty());
        when->setVisible(!date.isEmpty());
        grid->addWidget(modified, 1, 1);
        grid->addWidget(when, 1, 2);
        layout->addLayout(grid);
    };
    side("original_icon", "original_file_size", "orig_date", "original_mod_date", file.existingSize,
         file.existingDate);
    layout->addWidget(label(this, "Label6", QStringLiteral("with this one")));
    side("new_icon", "new_file_size", "new_date", "new_mod_date", file.newSize, file.newDate);

    auto* countdown = new QHBoxLayout;
    auto* left = label(this, "Label10", QStringLiteral("Time Left:"));
    m_timeElapsed = label(this, "time_elapsed", QStringLiteral("10"));
    for (QLabel* l : {left, m_timeElapsed})
        l->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    countdown->addWidget(left);
    countdown->addWidget(m_timeElapsed);
    countdown->addStretch();
    layout->addLayout(countdown);

    auto* buttons = new QHBoxLayout;
    const struct {
        const char* name;
        const char* caption;
        const char* allName;
        const char* allCaption;
    } choices[] = {{"transfer_rest", "Transfer Rest", "transfer_rest_all", "Transfer Rest All"},
                   {"overwrite", "Overwrite", "overwrite_all", "Overwrite All"},
                   {"rename", "Rename", "rename_all", "Rename All"},
                   {"skip", "Skip", "skip_all", "Skip All"}};
    QToolButton* focusOverwrite = nullptr;
    QToolButton* focusRename = nullptr;
    for (const auto& c : choices) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(c.name));
        button->setText(QLatin1String(c.caption));
        button->setPopupMode(QToolButton::MenuButtonPopup);
        auto* menu = new QMenu(button);
        QAction* all = menu->addAction(QLatin1String(c.allCaption));
        all->setObjectName(QLatin1String(c.allName));
        button->setMenu(menu);
        const QString single = QLatin1String(c.name), every = QLatin1String(c.allName);
        connect(button, &QToolButton::clicked, this, [this, single] { choose(single); });
        connect(all, &QAction::triggered, this, [this, every] { choose(every); });
        buttons->addWidget(button);
        if (single == QLatin1String("overwrite")) focusOverwrite = button;
        if (single == QLatin1String("rename")) focusRename = button;
    }
    layout->addLayout(buttons);
    (remembered == QLatin1String("overwrite") ? focusOverwrite : focusRename)->setFocus();

    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setParent(this);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &Tfile_replace::tick);
    m_timer.start();
}

void Tfile_replace::choose(const QString& result) {
    m_timer.stop();
    m_result = result;
    accept();
}

void Tfile_replace::tick() {
    const int left = m_timeElapsed->text().toInt();
    if (left <= 0) {
        // No answer: the countdown's own.
        m_timedOut = true;
        choose(m_remembered);
        return;
    }
    m_timeElapsed->setText(QString::number(left - 1));
}
