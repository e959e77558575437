#pragma once
// The toolkit's skinned buttons: list windows whose list items (backgrounds,
// icons, texts, links, animations) are drawn in their states. A click sends
// the button's control id as a command to the skinned window that holds it.
#include "ui/toolkit/controllers.h"
#include "ui/toolkit/list_item.h"
#include "ui/widgets/skin_paint.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QTimer;

namespace ui {

class FCButtonBase : public QWidget {
    Q_OBJECT
public:
    FCButtonBase(const pugi::xml_node& element, QWidget* parent);
    ~FCButtonBase() override;

    const std::vector<std::unique_ptr<FCListItem>>& GetItems() const { return items_; }
    // The tooltip the skin gave (the first list item that has one) until
    // the program sets another.
    void SetTooltipText(const std::string& text);
    // The icon of the first image-and-text or check item (a play button's
    // play or pause image, the mute button's speaker); empty when none.
    std::string IconImage() const;
    void SetIconImage(const std::string& path);

    // The check mark; only check buttons draw it, and only the program sets
    // it (a click just sends the command).
    bool GetCheck() const { return checked_; }
    void SetCheck(bool checked);

    FCItemState GetState() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void DrawItem(QPainter& painter, FCListItem& item, FCItemState state);
    QRect ItemRect(const FCListItem& item) const;
    void Click();
    void StartAnimations();

    FCController_Fill fill_;
    int colorScheme_ = 1;
    std::vector<std::unique_ptr<FCListItem>> items_;
    QSize designSize_;
    bool hover_ = false;
    bool pressed_ = false;
    bool checked_ = false;
    std::size_t frame_ = 0;
    QTimer* animation_ = nullptr;
};

class FCButtonCheck : public FCButtonBase {
    Q_OBJECT
public:
    using FCButtonBase::FCButtonBase;
};

}  // namespace ui
