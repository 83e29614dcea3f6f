#pragma once

#include <QString>
#include <vector>

#include "app/DialogParts.h"
#include "app/UiMetrics.h"
#include "mp3/Id3v1Split.h"
#include "platform/Platform.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace tracklore::app {

// The results dialog of the MP3 scan: the fragments the ID3v1 records cut the file into,
// one row each (number, artist, title, size). "&Ja" ends it with 6 (build the track list),
// "&Nein" and closing with 7.
class FragmentDialog : public CentredDialog {
    Q_OBJECT

  public:
    FragmentDialog(const QString& heading, const std::vector<FragmentRow>& rows,
                   const UiFonts& fonts, QWidget* parent);

    QLabel* Heading() const { return heading_; }
    QTableWidget* List() const { return list_; }
    QPushButton* YesButton() const { return yes_; }
    QPushButton* NoButton() const { return no_; }

    // The answer of exec(): MsgResult::Yes or MsgResult::No.
    static MsgResult AnswerOf(int result);

    void reject() override;

  protected:
    void FirstShown() override;

  private:
    QLabel* heading_ = nullptr;
    QTableWidget* list_ = nullptr;
    QPushButton* yes_ = nullptr;
    QPushButton* no_ = nullptr;
};

// The list's place in pixels and its column widths.
constexpr int FragmentListX = 8;
constexpr int FragmentListY = 50;
constexpr int FragmentListWidth = 350;
constexpr int FragmentListHeight = 127;
constexpr int FragmentColumnWidths[4] = {30, 110, 105, 75};

}  // namespace tracklore::app
