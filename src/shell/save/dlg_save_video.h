#pragma once
// The save-video dialog "保存视频文件": saves the queued videos into a folder
// as copies or converted to a chosen format, one after the other from the
// end of the queue, with a progress bar and a log of results. The
// conversions run on the library's worker thread, whose notifications
// reach the dialog as posted messages. Closing it stops a running
// conversion (the library removes the partial file) without freezing the
// window.
#include "convert/media_convert.h"
#include "shell/save/save_plan.h"

#include <QDialog>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class CAppSetting;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class DlgSaveVideo : public QDialog, public CMediaConvert {
    Q_OBJECT
public:
    DlgSaveVideo(CAppSetting& settings, const std::string& documentsFolder, QWidget* parent = nullptr);
    ~DlgSaveVideo() override;

    // Queues a video: its file and the name to save it under (no extension).
    void AddItem(const std::string& source, const std::string& name);
    // Queues a video as a save decided it (a segmented one by its tracks).
    void AddItem(const SaveItem& item);
    std::size_t QueueSize() const { return queue_.size(); }
    const std::string& SaveFolder() const { return folder_; }
    void SetSaveFolder(const std::string& folder);
    // Save (1): converts into the chosen format, or closes with an empty queue.
    void Save();
    QComboBox* FormatList() const { return formats_; }
    QString LogText() const;
    bool IsDone() const { return done_; }

Q_SIGNALS:
    void statusChanged(const QString& text);
    void finishedAll();

protected:
    void OnFinishRate(float rate) override;
    void OnFinishResult(MEDIA_CONVERT_RESULT result) override;

private:
    class Messages;
    // Starts the last queued video; false when the queue is empty.
    bool ProcessNext();
    void OnResult(int result);
    void ChooseFolder();
    // The folder exists (it is created) and takes a file; else a message.
    bool FolderIsUsable();

    CAppSetting& settings_;
    std::unique_ptr<Messages> messages_;
    std::vector<SaveItem> queue_;
    std::string folder_;
    int format_ = -1;
    std::string currentName_;
    bool done_ = false;
    bool closing_ = false;
    QLineEdit* folderBox_;
    QComboBox* formats_;
    QLabel* status_;
    QProgressBar* progress_;
    QPlainTextEdit* log_;
    QPushButton* save_;
    QPushButton* cancel_;
};
