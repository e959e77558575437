#pragma once
// The history view (216, menu 154) and the favorites view (211, menu 156).
// Unlike the play list they change their own lists (through the record
// operations); playing and saving go to the main window through its
// handlers. A favorite whose file was deleted outside the program can be
// neither played nor saved.
#include "shell/lists/list_selection.h"
#include "shell/lists/record_list_view.h"

#include <functional>
#include <string>

class CAppSetting;

// What both views ask of the main window.
struct RecordListHandlers {
    std::function<void(const std::string& title, const std::string& key)> play;  // AddVideo(…, "1")
    std::function<void(const std::string& path)> playFile;                        // PlayItem(path)
    std::function<void(const std::string& path, const std::string& title)> save;  // the save dialog
    // Yes or No to a warning; tests answer without a dialog.
    std::function<bool(const std::string& question)> confirm;
};

class CWndHistoryList : public CRecordListView {
    Q_OBJECT
public:
    void FillMenu(QMenu& menu) override;
    CWndHistoryList(CAppSetting& settings, RecordListHandlers handlers, QWidget* parent);
    CListSelection& Selection() override { return selection_; }
    // Menu 154: 20600 play, 20601 delete the selected, 20602 clear, 20603 sources.
    void RunCommand(int command);
    bool IsEnabled(int command) const;

protected:
    std::optional<std::size_t> RebuildItems(const std::string& revealKey) override;
    ItemLook Look(std::size_t index) const override;
    void OnDoubleClick(std::size_t) override { RunCommand(20600); }
    void OnDeleteKey() override { RunCommand(20601); }
    void showEvent(QShowEvent* event) override;

private:
    CAppSetting& settings_;
    RecordListHandlers handlers_;
    CListSelection selection_;
};

class CWndFavoriteList : public CRecordListView {
    Q_OBJECT
public:
    void FillMenu(QMenu& menu) override;
    CWndFavoriteList(CAppSetting& settings, RecordListHandlers handlers, QWidget* parent);
    CListSelection& Selection() override { return selection_; }
    // Menu 156: 20610 play, 20611 save, 20612 delete the selected, 20613
    // clear, 20614 sources.
    void RunCommand(int command);
    bool IsEnabled(int command) const;

protected:
    std::optional<std::size_t> RebuildItems(const std::string& revealKey) override;
    ItemLook Look(std::size_t index) const override;
    int ButtonCount() const override { return 1; }
    QString ButtonTip(int button) const override;
    void OnButton(std::size_t index, int button) override;
    void OnDoubleClick(std::size_t) override { RunCommand(20610); }
    void OnDeleteKey() override { RunCommand(20612); }
    void showEvent(QShowEvent* event) override;

private:
    // The first selected favorite's file, when it is still there.
    std::string FirstFileThere() const;
    void Save(std::size_t index);

    CAppSetting& settings_;
    RecordListHandlers handlers_;
    CListSelection selection_;
};
