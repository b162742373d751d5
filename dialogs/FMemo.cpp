#include "dialogs/FMemo.h"

#include <QPlainTextEdit>

#include <algorithm>

#include "env/VControl.h"
#include "dialogs/UQtText.h"

TFMMemo::TFMMemo(QWidget* parent) : TAntwortDialog(parent, true), me_(new QPlainTextEdit(this))
{
    resize(392, 145);
    me_->setObjectName(QStringLiteral("ME"));
    me_->setFrameShape(QFrame::NoFrame);
    me_->setLineWrapMode(QPlainTextEdit::NoWrap);
    me_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    me_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    me_->setTabChangesFocus(true);
    StyleInput(me_);
}

bool TFMMemo::Execute(TMemoParams& params)
{
    return RunModal<TFMMemo>(params, &TMemoParams::Answer);
}

void TFMMemo::Setup(const TMemoParams& params)
{
    rows_ = EnsureRange(params.MaxRow, 1, MaxRows);
    SetQuestion(params.Question);
    SetupFrame(params.Frame, false);
    me_->setPlainText(ToDisplayLines(params.Answer));
    me_->setFocus();
}

bool TFMMemo::CheckInput()
{
    // Any text is an answer, as long as the file can hold it.
    return TakeTypedText(me_->toPlainText(), result_, true);
}

int TFMMemo::LineHeight() const
{
    return std::max(DesignedLineHeight, me_->fontMetrics().lineSpacing());
}

int TFMMemo::ContentHeight(int labelBottom) const
{
    return labelBottom + (rows_ + 2) * LineHeight();
}

void TFMMemo::PlaceContent(int labelBottom)
{
    // Kept one line below the question and above the bottom, so it grows with the window.
    const int top = labelBottom + LineHeight();
    me_->setGeometry(Margin, top, ContentWidth(), std::max(0, height() - top - LineHeight()));
}
