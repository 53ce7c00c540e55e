#include "devicedetect/DeviceComboBox.h"

#include "devicedetect/SelectItem.h"

#include <QListWidget>
#include <QPushButton>

namespace {

const char kButtonStyle[] = "QPushButton { background: transparent; border: none; color: #FFFFFF;"
                            " font-size: 12px; text-align: left; }";

} // namespace

DeviceComboBox::DeviceComboBox(QWidget* parent)
    : QComboBox(parent)
    , m_list(new QListWidget(this))
    , m_button(new QPushButton(this))
{
    setModel(m_list->model());
    setView(m_list);
    m_button->setGeometry(12, 0, 324, 30);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setCursor(Qt::PointingHandCursor);
    m_button->setStyleSheet(QLatin1String(kButtonStyle));
    connect(m_button, &QPushButton::clicked, this, &QComboBox::showPopup);
    // Keyboard choices in the open list change the index without a click on an entry.
    connect(this, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
        &DeviceComboBox::showSelection);
}

void DeviceComboBox::addItem(const QString& text, int index)
{
    const int position = qBound(0, index, m_list->count());
    auto* item = new QListWidgetItem;
    item->setSizeHint(QSize(SelectItem::kWidth, SelectItem::kHeight));
    m_list->insertItem(position, item);
    auto* entry = new SelectItem(text);
    m_list->setItemWidget(item, entry);
    connect(entry, &SelectItem::clicked, this, &DeviceComboBox::onEntryClicked);
    QComboBox::setCurrentIndex(0);
    showSelection(0);
}

void DeviceComboBox::clear()
{
    m_list->clear();
    m_button->setText(m_emptyText);
}

void DeviceComboBox::setEmptyText(const QString& text)
{
    m_emptyText = text;
    if (m_list->count() == 0)
        m_button->setText(text);
}

void DeviceComboBox::setCurrentIndex(int index)
{
    QComboBox::setCurrentIndex(index);
    showSelection(index);
}

QString DeviceComboBox::shownText() const
{
    return m_button->text();
}

SelectItem* DeviceComboBox::entry(int index) const
{
    QListWidgetItem* item = m_list->item(index);
    return item ? qobject_cast<SelectItem*>(m_list->itemWidget(item)) : nullptr;
}

void DeviceComboBox::showPopup()
{
    // The open list is a window of its own, which the box's style sheet does not reach.
    QWidget* popup = view()->parentWidget();
    if (popup->styleSheet() != styleSheet()) {
        popup->setStyleSheet(styleSheet());
    }
    QComboBox::showPopup();
}

void DeviceComboBox::onEntryClicked()
{
    for (int row = 0; row < m_list->count(); ++row) {
        if (entry(row) == sender()) {
            hidePopup();
            setCurrentIndex(row);
            return;
        }
    }
}

void DeviceComboBox::showSelection(int index)
{
    for (int row = 0; row < m_list->count(); ++row) {
        if (SelectItem* item = entry(row)) {
            item->setSelected(row == index);
        }
    }
    SelectItem* chosen = entry(index);
    m_button->setText(chosen ? chosen->text() : QString());
}
