#include "devicedetect/HardwareResultView.h"

#include "ui_HardwareResultView.h"

#include "app/Context.h"
#include "core/NetworkHelper.h"
#include "devicedetect/HardwareInfo.h"
#include "devicedetect/HardwareVerdict.h"
#include "platform/Platform.h"

#include <QDebug>
#include <QFile>
#include <QGraphicsDropShadowEffect>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QScreen>

// The images and style sheet live in a static library, whose resources are only
// registered when asked for by name (outside any namespace).
static void initHardwareCheckResources()
{
    Q_INIT_RESOURCE(hardware_check);
}

namespace {

const QString kIconOk = QStringLiteral(":/res/device_ok.png");
const QString kIconNotSupported = QStringLiteral(":/res/device_not_support.png");
const QString kIconUnknown = QStringLiteral(":/res/device_unknow.png");

constexpr int kRequestTimeMs = 5000;

} // namespace

HardwareResultView::HardwareResultView(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::HardwareResultView)
    , m_platform(&zov::platform::Platform::instance())
{
    initHardwareCheckResources();
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::Dialog);
    // The white card is drawn by the background widget; the margin around it is room
    // for the shadow.
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(612, 306);
    loadStyleSheet();
    connect(m_ui->btn_iknow, &QPushButton::clicked, this, &HardwareResultView::slotIKnow);
    addShadow();
}

HardwareResultView::~HardwareResultView() = default;

void HardwareResultView::setPlatform(const zov::platform::Platform& platform)
{
    m_platform = &platform;
}

void HardwareResultView::loadStyleSheet()
{
    QFile file(QStringLiteral(":/devicedetect/HardwareResultView.qss"));
    if (file.open(QIODevice::ReadOnly))
        setStyleSheet(QString::fromUtf8(file.readAll()));
}

void HardwareResultView::addShadow()
{
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setOffset(0, 0);
    shadow->setColor(QColor(QStringLiteral("#444444")));
    shadow->setBlurRadius(30);
    m_ui->widget_background->setGraphicsEffect(shadow);
}

void HardwareResultView::sendDeviceInfo()
{
    auto* helper = new zov::network::NetworkHelper(this, QString());
    zov::network::NetworkHelper::addRawHeader("Content-Type", "application/json");
    connect(helper, &zov::network::NetworkHelper::httpFinished, this,
        &HardwareResultView::onCheckedDeviceResult);
    // Connected after the handler, so the helper goes only once the notice is closed.
    connect(helper, &zov::network::NetworkHelper::httpFinished, helper, &QObject::deleteLater);

    const HardwareInfo info(*m_platform);
    const QString memory = info.memoryText();
    const QString cpu = info.processorName();
    qDebug() << "strMemory" << memory << cpu;

    const QJsonObject report { { QStringLiteral("cpuType"), cpu },
        { QStringLiteral("memory"), memory } };
    const QByteArray body = QJsonDocument(report).toJson(QJsonDocument::Compact);
    const QString url = Context::instance()->data().getDeviceScore;
    qDebug() << "checkedDeviceInfo" << url << QString::fromUtf8(body);
    helper->post(url, body, true, kRequestTimeMs);
}

void HardwareResultView::onCheckedDeviceResult(bool, QJsonValue value, QString)
{
    qDebug().noquote() << "[QM] onCheckedDeviceResult ==> "
            + QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    const int hardwareResult = HardwareVerdict::fromReply(value);
    logPrimaryDisplay();

    const QSize screenSize = m_platform->primaryScreenSize();
    const bool displayOk = HardwareVerdict::isDisplaySupported(screenSize);
    qDebug() << "[QM] screenWidth:" << screenSize.width()
             << " screenHeight:" << screenSize.height();
    qDebug() << "[QM] nHardWareRet:" << hardwareResult;
    if (!HardwareVerdict::needsNotice(hardwareResult, displayOk))
        return;

    const HardwareInfo info(*m_platform);
    const QString hardwareText
        = QStringLiteral("CPU：%1 ，内存：%2 GB").arg(info.processorName(), info.totalMemoryText());
    setResult(displayOk, hardwareResult, screenSize.width(), screenSize.height(), hardwareText);
    showCentred();
}

void HardwareResultView::slotIKnow()
{
    accept();
}

void HardwareResultView::setResult(
    bool displayOk, int hardwareResult, int width, int height, const QString& hardwareText)
{
    setHardwareRow(hardwareResult, hardwareText);
    setDisplayRow(displayOk, width, height);
}

void HardwareResultView::setHardwareRow(int hardwareResult, const QString& hardwareText)
{
    const bool supported = hardwareResult == HardwareVerdict::kSupported;
    if (supported) {
        qDebug() << "[hardware] support";
        setIcon(m_ui->label_hardware_ico, kIconOk);
    } else if (hardwareResult == HardwareVerdict::kNotSupported) {
        qDebug() << "[hardware] not support";
        setIcon(m_ui->label_hardware_ico, kIconNotSupported);
    } else {
        setIcon(m_ui->label_hardware_ico, kIconUnknown);
    }
    m_ui->label_hardware_recommend->setVisible(!supported);
    m_ui->label_hardware_recommend2->setVisible(!supported);
    m_ui->label_hardware_val->setText(hardwareResult == HardwareVerdict::kUnknown
            ? QStringLiteral("无法检测到硬件信息")
            : hardwareText);
}

void HardwareResultView::setDisplayRow(bool displayOk, int width, int height)
{
    qDebug() << (displayOk ? "[display] support" : "[display] not support");
    setIcon(m_ui->label_display_ico, displayOk ? kIconOk : kIconNotSupported);
    m_ui->label_resolution_recommend->setVisible(!displayOk);
    m_ui->label_resolution_recommend2->setVisible(!displayOk);
    m_ui->label_display_val->setText(QStringLiteral("分辨率: %1x%2").arg(width).arg(height));
}

void HardwareResultView::setIcon(QLabel* label, const QString& path)
{
    label->setPixmap(QPixmap(path));
}

// The monitor's layout goes to the log only: it explains a resolution complaint when a
// student reports one.
void HardwareResultView::logPrimaryDisplay() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        qDebug() << "[QM] no primary monitor";
        return;
    }
    qDebug() << "[QM] monitor rect:" << screen->geometry()
             << " work area:" << screen->availableGeometry();
    qDebug() << "[QM] display mode:" << screen->geometry().size() * screen->devicePixelRatio()
             << " depth:" << screen->depth() << " frequency:" << screen->refreshRate();
}

void HardwareResultView::showCentred()
{
    const QScreen* screen = this->screen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
    raise();
    exec();
}
