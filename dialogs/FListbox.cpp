#include "dialogs/FListbox.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>

#include "core/UEingabePruefung.h"
#include "dialogs/UQtText.h"

namespace {

constexpr int kDesignedWidth = 312;
constexpr int kDesignedHeight = 301;

}  // namespace

TFMListbox::TFMListbox(QWidget* parent) : TAntwortDialog(parent, false), list_(new QListWidget(this))
{
    resize(kDesignedWidth, kDesignedHeight);
    QuestionLabel()->hide();  // the choice dialog asks no question
    list_->setObjectName(QStringLiteral("LB"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);
    SetListColour(DesignedColour);
    // A double click confirms like OK; Enter reaches the OK button by itself.
    connect(list_, &QListWidget::itemDoubleClicked, this, &TFMListbox::accept);
}

int TFMListbox::Execute(TListboxParams& params)
{
    TFMListbox dialog(QApplication::activeWindow());
    dialog.Setup(params);
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    params.Answer = dialog.Result();
    return dialog.ResultIndex();
}

int TFMListbox::ChooseFromList(const std::string& caption, const QColor& colour, int x, int y,
                               const std::vector<std::string>& values, std::string& value)
{
    TFMListbox dialog(QApplication::activeWindow());
    dialog.SetCaption(caption);
    dialog.SetListColour(colour.isValid() ? colour : DesignedColour);
    dialog.SetPosition(x, y, true);
    dialog.SetValues(values, value);
    dialog.FitToScreen(kDesignedWidth);  // keeps the designed size, only keeps it on the screen
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    value = dialog.Result();
    return dialog.ResultIndex();
}

void TFMListbox::Setup(const TListboxParams& params)
{
    SetupFrame(params.Frame, false);
    SetListColour(Qt::white);
    SetValues(params.VList, params.Answer);
}

void TFMListbox::SetValues(const std::vector<std::string>& values, const std::string& answer)
{
    values_ = values;
    list_->clear();
    list_->addItems(ToQStringList(values));
    const int row = FindChoice(values, answer);
    if (row >= 0)
        list_->setCurrentRow(row);
    else
        list_->clearSelection();
    list_->setFocus();
}

void TFMListbox::SetListColour(const QColor& colour)
{
    StyleInput(list_, colour);
}

int TFMListbox::SelectedRow() const
{
    // The current row alone is no choice: focus makes the first row current unselected.
    const QList<QListWidgetItem*> selected = list_->selectedItems();
    return selected.isEmpty() ? -1 : list_->row(selected.first());
}

bool TFMListbox::CheckInput()
{
    const int row = SelectedRow();
    const TAntwortRegeln rules{.Type = ftAuswahl, .ChoiceCount = static_cast<int>(values_.size())};
    if (const TPruefung problem = CheckAnswer(rules, {.Choice = row})) {
        MsgDlg(problem->Text(), problem->Kind, {TMsgButton::OK});
        return false;
    }
    resultIndex_ = row;
    result_ = values_[static_cast<std::size_t>(row)];
    return true;
}

int TFMListbox::ContentHeight(int /*labelBottom*/) const
{
    return kDesignedHeight;
}

void TFMListbox::PlaceContent(int /*labelBottom*/)
{
    list_->setGeometry(Margin, Margin, ContentWidth(), height() - 2 * Margin);
}
