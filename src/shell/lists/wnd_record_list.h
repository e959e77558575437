#pragma once
// A side-panel list of records of one kind (record_kinds.h): one row per
// record while the view shows (the rows go when it is hidden and are made
// anew from the records when it shows again), its kind's context menu,
// a double click that plays, Delete that removes the selected records. It
// changes its own list through the record operations; playing, saving and
// questions go to its host.
#include "common/string_table.h"
#include "shell/lists/list_selection.h"
#include "shell/lists/record_kinds.h"
#include "shell/lists/record_list_view.h"
#include "ui/widgets/ui_text.h"

#include <QHideEvent>
#include <QMenu>
#include <QShowEvent>

#include <string>
#include <vector>

class CAppSetting;

template <typename Kind>
class CWndRecordList : public CRecordListView {
public:
    using Item = typename Kind::Item;
    static constexpr RecordListCommands kCommands = Kind::kCommands;

    CWndRecordList(CAppSetting& settings, IListHost& host, QWidget* parent)
        : CRecordListView(host, parent), settings_(settings)
    {
    }

    CListSelection& Selection() override { return selection_; }
    // The rows, in list order; none while the view is hidden.
    const std::vector<Item>& Items() const { return items_; }

    // Play needs exactly one selected record that can play, save a first
    // one that can, removing and the sources any selection; clearing is
    // always there.
    bool IsEnabled(int id) const
    {
        const std::size_t selected = selection_.SelectedCount();
        const Item* first = First();
        if (id == kCommands.play)
            return selected == 1 && first && Kind::CanPlay(*first);
        if (id == kCommands.save)
            return selected > 0 && first && Kind::CanPlay(*first);
        if (id == kCommands.removeSelected || id == kCommands.sources)
            return selected > 0;
        return true;
    }

    void RunCommand(int id)
    {
        if (id == 0)
            return;
        const std::vector<std::string> keys = selection_.SelectedKeys();
        const std::optional<std::size_t> first = selection_.FirstSelected();
        if (id == kCommands.play) {
            if (keys.size() == 1 && Kind::CanPlay(items_[*first]))
                Kind::Play(Host(), items_[*first]);
        } else if (id == kCommands.save) {
            if (first)
                Kind::Save(Host(), items_[*first]);
        } else if (id == kCommands.removeSelected) {
            if (!first)
                return;
            for (const std::string& key : keys)
                Kind::Remove(settings_, key);
            Rebuild({});
            SelectAndReveal(*first);
        } else if (id == kCommands.clear) {
            if (Host().Confirm(LoadString(Kind::kClearQuestion))) {
                Kind::Clear(settings_);
                Rebuild({});
            }
        } else if (id == kCommands.sources) {
            if (!keys.empty())
                ShowSources(MenuText(kCommands.sources), SourcesText());
        }
    }

    void FillMenu(QMenu& menu) override
    {
        for (const RecordMenuEntry& entry : Kind::kMenu) {
            QAction* action = menu.addAction(ui::Tr(entry.text));
            action->setEnabled(IsEnabled(entry.command));
            QObject::connect(action, &QAction::triggered, this, [this, id = entry.command] { RunCommand(id); });
        }
    }

protected:
    std::optional<std::size_t> RebuildItems(const std::string& revealKey) override
    {
        items_.clear();
        if (isVisible())
            items_ = Kind::Items(settings_);
        std::vector<std::string> keys;
        for (const Item& item : items_)
            keys.push_back(item.url);
        return selection_.Reset(std::move(keys), revealKey);
    }

    ItemLook Look(std::size_t index) const override
    {
        const RecordLook look = Kind::Look(items_[index], settings_);
        ItemLook shown;
        shown.title = QString::fromStdString(look.title);
        shown.detail = QString::fromStdString(look.detail);
        shown.playing = look.playing;
        return shown;
    }

    int ButtonCount() const override { return kCommands.save != 0 ? 1 : 0; }
    QString ButtonTip(int) const override { return ui::Text(IDS_SAVE_TIP); }
    void OnButton(std::size_t index, int) override { Kind::Save(Host(), items_[index]); }
    void OnDoubleClick(std::size_t) override { RunCommand(kCommands.play); }
    void OnDeleteKey() override { RunCommand(kCommands.removeSelected); }

    // The side panels show and hide the view; a minimised window's
    // (spontaneous) hiding keeps the rows and the selection.
    void showEvent(QShowEvent* event) override
    {
        if (!event->spontaneous())
            Rebuild({});
    }
    void hideEvent(QHideEvent* event) override
    {
        if (event->spontaneous())
            return;
        items_.clear();
        selection_.Reset({}, {});
    }

private:
    const Item* First() const
    {
        const std::optional<std::size_t> first = selection_.FirstSelected();
        return first ? &items_[*first] : nullptr;
    }

    static std::string MenuText(int id)
    {
        for (const RecordMenuEntry& entry : Kind::kMenu)
            if (entry.command == id)
                return entry.text;
        return {};
    }

    // Title and key of each selected record, each block followed by two
    // empty lines.
    std::string SourcesText() const
    {
        std::string text;
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (selection_.IsSelected(i))
                text += items_[i].title + "\r\n" + items_[i].url + "\r\n\r\n\r\n";
        return text;
    }

    CAppSetting& settings_;
    std::vector<Item> items_;
    CListSelection selection_;
};
