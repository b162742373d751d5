#include "dialogs/FEingabe.h"

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>

#include "core/UEingabePruefung.h"
#include "dialogs/UQtText.h"

namespace {

// QLineEdit's own limit, used when the request sets none.
constexpr int kUnlimited = 32767;

}  // namespace

TFMEingabe::TFMEingabe(QWidget* parent)
    : TAntwortDialog(parent, false)
    , ed_(new QLineEdit(this))
    , cb_(new QComboBox(this))
{
    resize(443, 112);
    ed_->setObjectName(QStringLiteral("ED"));
    ed_->setEchoMode(QLineEdit::Normal);
    StyleInput(ed_);
    cb_->setObjectName(QStringLiteral("CB"));
    cb_->setEditable(true);
    // Typing must not add entries, and Enter must reach the OK button.
    cb_->setInsertPolicy(QComboBox::NoInsert);
    StyleInput(cb_);
    cb_->hide();
}

bool TFMEingabe::Execute(TEingabeParams& params)
{
    return RunModal<TFMEingabe>(params, &TEingabeParams::Answer);
}

void TFMEingabe::Setup(const TEingabeParams& params)
{
    minimum_ = params.Minimum;
    maximum_ = params.Maximum;
    format_ = params.Format;
    // A starting answer longer than MaxChar is shown whole: Qt would cut it, and OK
    // would then store the cut answer without anyone having typed a thing.
    const QString answer = ToQString(params.Answer);
    const int maxLength = params.MaxChar > 0 ? std::max(params.MaxChar, static_cast<int>(answer.size())) : kUnlimited;
    const bool list = !params.VList.empty();
    cb_->setVisible(list);
    ed_->setVisible(!list);
    if (list) {
        cb_->addItems(ToQStringList(params.VList));
        cb_->lineEdit()->setMaxLength(maxLength);
        cb_->setEditText(answer);
        cb_->setFocus();
    } else {
        ed_->setMaxLength(maxLength);
        ed_->setText(answer);
        ed_->selectAll();
        ed_->setFocus();
    }
    SetQuestion(params.Question);
    SetupFrame(params.Frame, true);
}

QWidget* TFMEingabe::Input() const
{
    return cb_->isVisibleTo(this) ? static_cast<QWidget*>(cb_) : ed_;
}

bool TFMEingabe::CheckInput()
{
    const QString typed = cb_->isVisibleTo(this) ? cb_->currentText() : ed_->text();
    std::string text;
    if (!TakeTypedText(typed, text))
        return false;
    const TAntwortRegeln rules{.Type = ftString, .Minimum = minimum_, .Maximum = maximum_, .Format = format_};
    if (const TPruefung problem = CheckAnswer(rules, {.Text = text})) {
        MsgDlg(problem->Text(), problem->Kind, {TMsgButton::OK});
        return false;
    }
    result_ = text;
    return true;
}

int TFMEingabe::LineHeight() const
{
    return Input()->sizeHint().height();
}

int TFMEingabe::ContentHeight(int labelBottom) const
{
    return labelBottom + 2 * LineHeight();
}

void TFMEingabe::PlaceContent(int labelBottom)
{
    const int height = LineHeight();
    const QRect place(Margin, labelBottom + height / 2, ContentWidth(), height);
    ed_->setGeometry(place);
    cb_->setGeometry(place);
}
