#include "dialogs/CRuleDlg.h"

#include "dialogs/DialogTexts.h"
#include "dialogs/TypedNumber.h"
#include "foundation/ClampingIntValidator.h"

#include <QFontMetricsF>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The sizes of the dialog's form, kept where the texts leave room; longer
// texts and larger fonts widen and heighten them (see SizeFromFont).
constexpr int kWidth = 390;
constexpr int kMinHeight = 200;
constexpr int kLabelHeight = 25;
constexpr QSize kEdit(30, 20);
constexpr QSize kButton(100, 25);

// The size a line edit needs to show `text` whole: the text with the
// edit's own margins and cursor, in its style's frame (what QLineEdit's
// size hint does for its seventeen x's).
QSize EditSizeFor(QLineEdit* edit, const QString& text) {
    edit->ensurePolished();
    // QLineEdit keeps 2 pixels beside its text and 1 above and below it.
    constexpr int kSideMargin = 2;
    constexpr int kTopMargin = 1;
    const QFontMetricsF metrics(edit->font());
    const QMargins margins = edit->textMargins();
    const int cursor = edit->style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, edit);
    const QSize contents(int(std::ceil(metrics.horizontalAdvance(text))) + 1 + cursor + 2 * kSideMargin
            + margins.left() + margins.right(),
        int(std::ceil(metrics.height())) + 2 * kTopMargin + margins.top() + margins.bottom());
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth
        = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
    return edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, edit);
}

// A label as wide as the widest of `texts` in its font.
void FitLabel(QLabel* label, const QStringList& texts) {
    label->ensurePolished();
    const QFontMetrics metrics(label->font());
    int width = 0;
    for (const QString& text : texts) {
        // QLabel lays its text out in this rectangle, which may reach past
        // the advance by a glyph's overhang.
        width = std::max(
            width, metrics.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::AlignLeft, text).width());
    }
    label->setFixedSize(width, std::max(kLabelHeight, metrics.height()));
}

// An edit that shows the widest value it takes whole.
void FitEdit(QLineEdit* edit, const QString& widest) {
    edit->setFixedSize(kEdit.expandedTo(EditSizeFor(edit, widest)));
}

QStringList TextsOf(const QList<QLabel*>& labels) {
    QStringList texts;
    for (const QLabel* label : labels)
        texts << label->text();
    return texts;
}

} // namespace

CRuleDlg::CRuleDlg(const QStringList& rowLabels, std::vector<int>& values, const QString& title,
    bool editable, const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint)
    , m_values(values)
    , m_bEditable(editable) {
    setWindowTitle(title);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    if (!editable) {
        m_pTitle = new QLabel(this);
        m_pTitle->setAlignment(Qt::AlignCenter);
        layout->addWidget(m_pTitle);
        m_pNote = new QLabel(this);
        m_pNote->setWordWrap(true);
        m_pNote->hide();
        layout->addWidget(m_pNote);
    }

    // A number beyond an edit's range may be typed whole ("10" in a 0-8
    // edit) and is brought to the nearer end when the edit is finished, so
    // the edit shows what OK writes.
    const auto makeEdit = [this, editable](int value, int lowest, int highest) {
        auto* edit = new QLineEdit(QString::number(value), this);
        edit->setValidator(new foundation::ClampingIntValidator(lowest, highest, edit));
        edit->setEnabled(editable);
        return edit;
    };
    // Number and weight each on a row of their own, their edits one under
    // the other.
    m_pNumberLabel = new QLabel(QStringLiteral("Number"), this);
    m_pNumberEdit = makeEdit(ValueAt(0, kDefaultNumber), 1, kMaxNumber);
    m_pWeightLabel = new QLabel(QStringLiteral("Weight"), this);
    m_pWeightEdit = makeEdit(ValueAt(1, kDefaultNumber), 1, kMaxNumber);
    for (auto [label, edit] :
        { std::pair(m_pNumberLabel, m_pNumberEdit), std::pair(m_pWeightLabel, m_pWeightEdit) }) {
        auto* row = new QHBoxLayout;
        row->addWidget(label);
        row->addWidget(edit);
        row->addStretch();
        layout->addLayout(row);
    }
    // Three rule rows to a grid row.
    auto* grid = new QGridLayout;
    for (int i = 0; i < rowLabels.size(); ++i) {
        auto* label = new QLabel(rowLabels[i] + QLatin1Char(':'), this);
        QLineEdit* edit = makeEdit(ValueAt(size_t(i) + 2, kDefaultCount), 0, kMaxCount);
        grid->addWidget(label, i / 3 + 1, (i % 3) * 2);
        grid->addWidget(edit, i / 3 + 1, (i % 3) * 2 + 1);
        m_rowLabels.append(label);
        m_rowEdits.append(edit);
    }
    layout->addLayout(grid);

    m_pButtonOK = new QPushButton(QStringLiteral("OK"), this);
    m_pButtonOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addItem(new QSpacerItem(20, 1, QSizePolicy::Expanding));
    buttons->addWidget(m_pButtonOK);
    buttons->addItem(new QSpacerItem(20, 1, QSizePolicy::Expanding));
    if (editable) {
        m_pButtonNo = new QPushButton(QStringLiteral("Cancel"), this);
        buttons->addWidget(m_pButtonNo);
        buttons->addItem(new QSpacerItem(20, 1, QSizePolicy::Expanding));
    }
    layout->addLayout(buttons);

    // A language with the group gives every caption its text, an empty one
    // where a key is missing.
    const DialogTexts group(texts, "CRuleDlg", "f_Language");
    if (group.Present()) {
        m_pButtonOK->setText(group.Get("sOK"));
        if (m_pButtonNo)
            m_pButtonNo->setText(group.Get("sNo"));
        m_pNumberLabel->setText(group.Get("sNumber"));
        m_pWeightLabel->setText(group.Get("sWeight"));
        if (m_pTitle)
            m_pTitle->setText(group.Get("sRule"));
    }

    SizeFromFont();
    connect(m_pButtonOK, &QPushButton::clicked, this, &CRuleDlg::slot_ButtonOK);
    if (m_pButtonNo)
        connect(m_pButtonNo, &QPushButton::clicked, this, &CRuleDlg::slot_ButtonNo);
}

void CRuleDlg::SizeFromFont() {
    // Every label and edit shows its text whole in the font it has: the
    // number and weight edits line up, a long model name widens all three
    // label columns alike, and each edit has room for its largest value.
    const QStringList headings = { m_pNumberLabel->text(), m_pWeightLabel->text() };
    FitLabel(m_pNumberLabel, headings);
    FitLabel(m_pWeightLabel, headings);
    FitEdit(m_pNumberEdit, QString::number(kMaxNumber));
    FitEdit(m_pWeightEdit, QString::number(kMaxNumber));
    const QStringList rows = TextsOf(m_rowLabels);
    for (QLabel* label : std::as_const(m_rowLabels))
        FitLabel(label, rows);
    for (QLineEdit* edit : std::as_const(m_rowEdits))
        FitEdit(edit, QString::number(kMaxCount));
    for (QPushButton* button : { m_pButtonOK, m_pButtonNo }) {
        if (button)
            button->setFixedSize(kButton.expandedTo(button->sizeHint()));
    }
    // The form's width, or what the rows need when that is more.
    layout()->activate();
    setFixedWidth(std::max(kWidth, minimumSizeHint().width()));
    setMinimumHeight(std::max(kMinHeight, minimumSizeHint().height()));
}

void CRuleDlg::SetNote(const QString& text) {
    if (!m_pNote)
        return;
    m_pNote->setText(text);
    m_pNote->setVisible(!text.isEmpty());
    // Wrapped within the form's width, every line shows.
    const QMargins margins = layout()->contentsMargins();
    m_pNote->setMinimumHeight(m_pNote->heightForWidth(width() - margins.left() - margins.right()));
    layout()->activate();
    setMinimumHeight(std::max(kMinHeight, minimumSizeHint().height()));
}

int CRuleDlg::ValueAt(size_t index, int fallback) {
    while (m_values.size() <= index)
        m_values.push_back(fallback);
    return m_values[index];
}

void CRuleDlg::slot_ButtonOK() {
    if (m_bEditable) {
        m_values[0] = dialogs::TypedNumber(m_pNumberEdit->text(), 1, kMaxNumber);
        m_values[1] = dialogs::TypedNumber(m_pWeightEdit->text(), 1, kMaxNumber);
        for (int i = 0; i < m_rowEdits.size(); ++i)
            m_values[size_t(i) + 2] = dialogs::TypedNumber(m_rowEdits[i]->text(), 0, kMaxCount);
    }
    accept();
}

void CRuleDlg::slot_ButtonNo() {
    reject();
}
