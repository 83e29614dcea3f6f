#include "app/FragmentDialog.h"
#include "app/DialogParts.h"
#include "resources/StringIds.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>

#include "app/QtText.h"

namespace tracklore::app {

namespace {
constexpr int AnswerYes = static_cast<int>(MsgResult::Yes);
constexpr int AnswerNo = static_cast<int>(MsgResult::No);

bool RightAligned(int column) {
    return column == 0 || column == 3;
}
}  // namespace

FragmentDialog::FragmentDialog(const QString& heading, const std::vector<FragmentRow>& rows,
                               const UiFonts& fonts, QWidget* parent)
    : CentredDialog(parent) {
    const DialogPlacer place = PrepareDialog(this, Text(str::FragmentsCaption), fonts.normal);
    const DialogBaseUnits units = place.units;

    heading_ = new QLabel(heading, this);
    SetControlId(heading_, 101);
    heading_->setTextFormat(Qt::PlainText);
    place(heading_, 7, 7, 236, 8);
    auto* label = new QLabel(Text(str::FragmentListLabel), this);
    SetControlId(label, 102);
    label->setFont(fonts.bold);
    place(label, 7, 20, 120, 8);

    // The list is placed in pixels; the labels above it stand in dialog units, so it moves
    // down when they would reach it.
    const int listY = std::max(FragmentListY, label->geometry().bottom() + 4);
    list_ = new QTableWidget(static_cast<int>(rows.size()), 4, this);
    list_->setGeometry(FragmentListX, listY, FragmentListWidth, FragmentListHeight);
    list_->setToolTip(Text(str::TipFragmentList));
    SetRowListLook(list_, fonts.normal);
    constexpr StringId Headers[] = {str::FragmentColumnNumber, str::FragmentColumnArtist,
                                    str::FragmentColumnTitle, str::FragmentColumnSize};
    for (int column = 0; column < 4; ++column) {
        auto* item = new QTableWidgetItem(Text(Headers[column]));
        item->setTextAlignment((RightAligned(column) ? Qt::AlignRight : Qt::AlignLeft) |
                               Qt::AlignVCenter);
        list_->setHorizontalHeaderItem(column, item);
        list_->setColumnWidth(column, FragmentColumnWidths[column]);
    }
    label->setBuddy(list_);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const FragmentRow& row = rows[i];
        const QString texts[4] = {FromText(row.number), FromText(row.artist), FromText(row.title),
                                  FromText(row.size)};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setTextAlignment((RightAligned(column) ? Qt::AlignRight : Qt::AlignLeft) |
                                   Qt::AlignVCenter);
            item->setToolTip(Text(str::TipFragmentList));
            list_->setItem(static_cast<int>(i), column, item);
        }
    }

    // The buttons sit below the list, at its right edge.
    const QSize button = DialogSize(units, 50, 14);
    const int gap = DialogSize(units, 4, 6).width();
    const int buttonY = list_->geometry().bottom() + 1 + DialogSize(units, 0, 6).height();
    const int right = FragmentListX + FragmentListWidth;
    no_ = new QPushButton(Text(str::FragmentsNo), this);
    SetControlId(no_, AnswerNo);
    no_->setToolTip(Text(str::TipFragmentsNo));
    no_->setAutoDefault(false);
    no_->setGeometry(right - button.width(), buttonY, button.width(), button.height());
    yes_ = new QPushButton(Text(str::FragmentsYes), this);
    SetControlId(yes_, AnswerYes);
    yes_->setToolTip(Text(str::TipFragmentsYes));
    yes_->setDefault(true);
    yes_->setGeometry(right - 2 * button.width() - gap, buttonY, button.width(), button.height());
    connect(yes_, &QPushButton::clicked, this, [this] { done(AnswerYes); });
    connect(no_, &QPushButton::clicked, this, [this] { done(AnswerNo); });

    setTabOrder(yes_, no_);
    setTabOrder(no_, list_);
    setFixedSize(right + FragmentListX,
                 buttonY + button.height() + DialogSize(units, 0, 7).height());
    yes_->setFocus();
}

MsgResult FragmentDialog::AnswerOf(int result) {
    return result == AnswerYes ? MsgResult::Yes : MsgResult::No;
}

void FragmentDialog::reject() {
    done(AnswerNo);
}

void FragmentDialog::FirstShown() {
    yes_->setFocus();
}

}  // namespace tracklore::app
