#pragma once

#include <string>
#include <vector>

#include "app/DialogParts.h"
#include "flows/Session.h"

class QMimeData;

namespace tracklore::app {

// The local files and folders a drag carries, as the file system names them.
std::vector<std::string> DroppedPaths(const QMimeData* data);

// A modal dialog that centres itself over its owner when it is first shown and takes files
// dropped anywhere on it: exactly one path goes to PathDropped, more are refused
// (SingleDroppedPath).
class FileDropDialog : public CentredDialog {
  public:
    FileDropDialog(Session& session, QWidget* parent);

  protected:
    virtual void PathDropped(const std::string& path) = 0;

    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    Session& session_;

  private:
};

}  // namespace tracklore::app
