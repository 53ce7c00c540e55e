#pragma once

#include <QDialog>
#include <QJsonValue>
#include <QScopedPointer>
#include <QString>

namespace Ui {
class HardwareResultView;
}

namespace zov {
namespace platform {
class Platform;
}
} // namespace zov

class QLabel;

// Reports the processor and memory to the service once per run and, when the service's
// verdict or the screen resolution falls short, tells the student in a small notice.
class HardwareResultView : public QDialog
{
    Q_OBJECT
public:
    explicit HardwareResultView(QWidget* parent);
    ~HardwareResultView() override;

    void sendDeviceInfo();
    void setResult(
        bool displayOk, int hardwareResult, int width, int height, const QString& hardwareText);

    // Where the processor, memory and screen come from; the system's own by default.
    void setPlatform(const zov::platform::Platform& platform);

public slots:
    void onCheckedDeviceResult(bool ok, QJsonValue value, QString msg);
    void slotIKnow();

private:
    void loadStyleSheet();
    void addShadow();
    void setHardwareRow(int hardwareResult, const QString& hardwareText);
    void setDisplayRow(bool displayOk, int width, int height);
    void logPrimaryDisplay() const;
    void showCentred();
    static void setIcon(QLabel* label, const QString& path);

    QScopedPointer<Ui::HardwareResultView> m_ui;
    const zov::platform::Platform* m_platform;
};
