#pragma once

#include <QComboBox>

class QListWidget;
class QPushButton;
class SelectItem;

// A device list: a combo box whose entries are SelectItem widgets, with the chosen
// entry's text shown on a flat button laid over the box.
class DeviceComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit DeviceComboBox(QWidget* parent = nullptr);

    // Inserts an entry at position index; the first entry is then the chosen one.
    void addItem(const QString& text, int index);
    void clear();
    // What the box says while it lists nothing, so that an empty box explains itself.
    void setEmptyText(const QString& text);
    // Makes entry index the chosen one; emits currentIndexChanged when it changes.
    void setCurrentIndex(int index);
    // The text on the box.
    QString shownText() const;
    SelectItem* entry(int index) const;

    void showPopup() override;

private:
    void onEntryClicked();
    void showSelection(int index);

    QListWidget* m_list;
    QPushButton* m_button;
    QString m_emptyText;
};
