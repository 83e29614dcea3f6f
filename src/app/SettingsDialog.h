#pragma once

#include "app/DialogParts.h"
#include "app/UiMetrics.h"
#include "flows/Session.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace tracklore::app {

class SettingsStore;

// The string number of a scan priority's name; a value outside -2..2 is "normal".
StringId PriorityNameId(int priority);

// "Einstellungen": the settings every running copy shares (the FreeDB address, the priority
// of the MP3 scan, the time format, the encodings, the chapters of the cue tag, the language
// of the next start, who asks the CD databases and where). OK checks that the
// address holds both markers, stores the values and writes them to the settings file at once, where
// the other running copies pick them up; Abbruch, Escape and the close box change nothing.
class SettingsDialog : public CentredDialog {
    Q_OBJECT

  public:
    // store: the settings file (none: the values stay in memory).
    SettingsDialog(Session& session, SettingsStore* store, const UiFonts& fonts, QWidget* parent);

    QLineEdit* UrlEdit() const { return url_; }
    QPushButton* StandardButton() const { return standard_; }
    QSlider* PriorityBar() const { return priority_; }
    QLabel* PriorityLabel() const { return priorityName_; }
    QCheckBox* MshBox() const { return msh_; }
    QComboBox* CodePageBox() const { return codePage_; }
    QComboBox* SaveEncodingBox() const { return saveEncoding_; }
    QCheckBox* ChaptersBox() const { return chapters_; }
    QLineEdit* EmailEdit() const { return email_; }
    QLineEdit* ClientNameEdit() const { return clientName_; }
    QLineEdit* CddbAddressEdit() const { return cddbAddress_; }
    QLineEdit* MusicBrainzAddressEdit() const { return musicBrainzAddress_; }
    QComboBox* LanguageBox() const { return language_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    void accept() override;

  protected:
  private:
    Session& session_;
    SettingsStore* store_;
    QLineEdit* url_ = nullptr;
    QPushButton* standard_ = nullptr;
    QSlider* priority_ = nullptr;
    QLabel* priorityName_ = nullptr;
    QCheckBox* msh_ = nullptr;
    QComboBox* codePage_ = nullptr;
    QComboBox* saveEncoding_ = nullptr;
    QCheckBox* chapters_ = nullptr;
    QLineEdit* email_ = nullptr;
    QLineEdit* clientName_ = nullptr;
    QLineEdit* cddbAddress_ = nullptr;
    QLineEdit* musicBrainzAddress_ = nullptr;
    QComboBox* language_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace tracklore::app
