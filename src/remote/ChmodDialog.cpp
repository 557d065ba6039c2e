#include "ChmodDialog.h"

#include "ChmodMode.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

Tchmod_form::Tchmod_form(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Tchmod_form"));
    setWindowTitle(QStringLiteral("CHMOD Attributes"));
    auto* layout = new QVBoxLayout(this);
    m_fileName = new QLabel(this);
    m_fileName->setObjectName(QStringLiteral("file_name"));
    layout->addWidget(m_fileName);
    auto* grid = new QGridLayout;
    static const char* const columns[3] = {"Owner", "Group", "Others"};
    static const char* const rows[3] = {"Read", "Write", "Execute"};
    static const char* const prefixes[3] = {"owner", "group", "others"};
    static const char* const suffixes[3] = {"read", "write", "execute"};
    auto* digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-7]?")), this);
    for (int c = 0; c < 3; ++c) {
        grid->addWidget(new QLabel(QLatin1String(columns[c]), this), 0, c + 1, Qt::AlignHCenter);
        for (int b = 0; b < 3; ++b) {
            if (c == 0) grid->addWidget(new QLabel(QLatin1String(rows[b]), this), b + 1, 0);
            auto* box = new QCheckBox(this);
            box->setObjectName(QLatin1String(prefixes[c]) + u'_' + QLatin1String(suffixes[b]));
            connect(box, &QCheckBox::clicked, this, [this, c, b] { boxClicked(c, b); });
            grid->addWidget(box, b + 1, c + 1, Qt::AlignHCenter);
            m_boxes[c][b] = box;
        }
        auto* edit = new QLineEdit(QStringLiteral("0"), this);
        edit->setObjectName(QLatin1String(prefixes[c]) + QStringLiteral("_right"));
        edit->setValidator(digits);
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 16);
        edit->setAlignment(Qt::AlignHCenter);
        connect(edit, &QLineEdit::textEdited, this, &Tchmod_form::edited);
        connect(edit, &QLineEdit::textChanged, this,
                [this] { m_apply->setEnabled(m_changed && !modeOut().isEmpty()); });
        grid->addWidget(edit, 4, c + 1, Qt::AlignHCenter);
        m_rights[c] = edit;
    }
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    m_apply = new QPushButton(QStringLiteral("Apply Changes"), this);
    m_apply->setObjectName(QStringLiteral("apply_changes"));
    m_discard = new QPushButton(QStringLiteral("Discard Changes"), this);
    m_discard->setObjectName(QStringLiteral("discard_changes"));
    buttons->addWidget(m_apply);
    buttons->addWidget(m_discard);
    layout->addLayout(buttons);
    connect(m_apply, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_discard, &QPushButton::clicked, this, &QDialog::reject);
    setTexts(QString(), ChmodMode::kNoMode);
}

void Tchmod_form::setTexts(const QString& label, const QString& mode) {
    m_fileName->setText(label);
    const ChmodMode::Boxes boxes = ChmodMode::read(mode);
    for (int c = 0; c < 3; ++c) {
        for (int b = 0; b < 3; ++b)
            m_boxes[c][b]->setChecked(boxes.checked[c][b]);
        m_rights[c]->setText(QString::number(boxes.digit[c]));
    }
    m_changed = false;
    m_apply->setEnabled(false);
    m_discard->setEnabled(false);
}

QString Tchmod_form::modeOut() const {
    return ChmodMode::modeOut(m_rights[0]->text(), m_rights[1]->text(), m_rights[2]->text());
}

void Tchmod_form::boxClicked(int column, int bit) {
    QLineEdit* edit = m_rights[column];
    m_changed = true;
    m_discard->setEnabled(true);
    edit->setText(ChmodMode::afterClick(edit->text(), m_boxes[column][bit]->isChecked(),
                                        ChmodMode::kValues[bit]));
    m_apply->setEnabled(!modeOut().isEmpty());
}

void Tchmod_form::edited() {
    m_changed = true;
    m_discard->setEnabled(true);
    m_apply->setEnabled(!modeOut().isEmpty());
}
