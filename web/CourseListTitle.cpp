#include "web/CourseListTitle.h"

#include "app/Context.h"
#include "core/NetworkHelper.h"
#include "platform/ChildProcess.h"
#include "platform/Platform.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

namespace {

constexpr int kTitleBarHeight = 48;
constexpr int kUploadConfigTimeoutMs = 5000;

QString compactJson(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace

CourseListTitle::CourseListTitle(QWidget* parent)
    : QWidget(parent)
    , m_uploader(std::make_unique<zov::platform::ChildProcess>(
          zov::platform::ChildProcess::Lifetime::MayOutliveUs))
{
    setObjectName(QStringLiteral("CourseListTitle"));
    setFixedHeight(kTitleBarHeight);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(
        QStringLiteral("#CourseListTitle{background:#FFFFFF;border-bottom:1px solid #EEEEEE;}"
                       "QPushButton{border:none;font-size:16px;color:#858C96;}"
                       "QPushButton:hover{color:#FF5E50;}"
                       "#signedInLabel{font-size:12px;color:#FF4544;border:1px solid #FF4544;"
                       "border-radius:10px;padding:1px 8px;}"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 0, 12, 0);
    layout->setSpacing(6);

    auto* name = new QLabel(QStringLiteral("Zov1对1学生版"), this);
    name->setStyleSheet(QStringLiteral("font-size:16px;color:#212831;"));
    layout->addWidget(name);

    m_signedInLabel = new QLabel(QStringLiteral("已登录"), this);
    m_signedInLabel->setObjectName(QStringLiteral("signedInLabel"));
    m_signedInLabel->setFixedHeight(22);
    m_signedInLabel->hide();
    layout->addWidget(m_signedInLabel);
    layout->addStretch(1);

    // Support staff can make the button visible to fetch logs without the page.
    QPushButton* upload
        = addTitleButton(QStringLiteral("uploadLogBtn"), QStringLiteral("上传日志"));
    upload->setFixedWidth(72);
    upload->hide();
    connect(upload, &QPushButton::clicked, this, &CourseListTitle::onUploadLog);

    connect(addTitleButton(QStringLiteral("settingsBtn"), QStringLiteral("⚙")),
        &QPushButton::clicked, this, &CourseListTitle::sigSettings);
    connect(addTitleButton(QStringLiteral("aboutBtn"), QStringLiteral("ⓘ")), &QPushButton::clicked,
        this, &CourseListTitle::sigAbout);
    connect(addTitleButton(QStringLiteral("minBtn"), QStringLiteral("—")), &QPushButton::clicked,
        this, &CourseListTitle::sigMinimize);
    connect(addTitleButton(QStringLiteral("closeBtn"), QStringLiteral("✕")), &QPushButton::clicked,
        this, &CourseListTitle::sigClose);
}

CourseListTitle::~CourseListTitle()
{
    // An upload that is still running is left to finish after the program has gone:
    // destroying its QProcess would kill it halfway.
    if (m_uploader->state() != QProcess::NotRunning)
        static_cast<void>(m_uploader.release());
}

QPushButton* CourseListTitle::addTitleButton(const QString& objectName, const QString& text)
{
    auto* button = new QPushButton(text, this);
    button->setObjectName(objectName);
    button->setFixedSize(32, 32);
    button->setFocusPolicy(Qt::NoFocus);
    layout()->addWidget(button);
    return button;
}

void CourseListTitle::setSignedIn(bool signedIn)
{
    m_signedInLabel->setVisible(signedIn);
}

void CourseListTitle::onUploadLog()
{
    emit sigUploadNotice();
    if (m_uploader->state() == QProcess::Running)
        return;
    requestUploadConfig();
}

void CourseListTitle::requestUploadConfig()
{
    const ContextData& context = Context::instance()->data();
    using zov::network::NetworkHelper;
    NetworkHelper::addRawHeader("Content-Type", "application/json");
    NetworkHelper::addRawHeader("token", context.token.toUtf8());
    NetworkHelper::addRawHeader("channel", "ol_stu");
    NetworkHelper::addRawHeader("UUId", context.uid.toUtf8());
    NetworkHelper::addRawHeader(
        "timestamp", QByteArray::number(QDateTime::currentSecsSinceEpoch()));

    auto* request = new NetworkHelper(this, QString());
    connect(request, &NetworkHelper::httpFinished, this, &CourseListTitle::onUploadInfoResult);
    connect(request, &NetworkHelper::httpFinished, request, &QObject::deleteLater);
    const QByteArray body = QJsonDocument(QJsonObject()).toJson(QJsonDocument::Compact);
    qDebug() << "HttpRequestInterface" << context.getUploadConfigUrl << body;
    request->post(context.getUploadConfigUrl, body, true, kUploadConfigTimeoutMs);
}

void CourseListTitle::onUploadInfoResult(bool stat, QJsonValue jsonValue, QString errMsg)
{
    // The uploader is started whatever the reply: without an upload address it fails
    // and says why in its own log.
    Q_UNUSED(stat)
    Q_UNUSED(errMsg)
    const QString reply = compactJson(jsonValue.toObject());
    qDebug().noquote() << "uploadLogFile" << reply;
    const QJsonDocument replyDocument = QJsonDocument::fromJson(reply.toUtf8());
    if (replyDocument.isNull())
        qDebug().noquote() << "msg is empty" << reply;

    const QStringList arguments = uploaderArguments(replyDocument.object());
    qDebug().noquote() << "hhhhhhhhhh" << arguments.value(0);
    qDebug() << "download args: " << arguments;
    const QString program = QDir::current().absoluteFilePath(
        zov::platform::Platform::programFileName(QStringLiteral("QMUploader")));
    m_uploader->start(program, arguments, QIODevice::ReadWrite);
}

QStringList CourseListTitle::uploaderArguments(const QJsonObject& reply)
{
    const ContextData& context = Context::instance()->data();
    QJsonObject argument;
    argument.insert(QStringLiteral("data"), reply.value(QStringLiteral("data")).toObject());
    argument.insert(QStringLiteral("logName"), context.logFileName);
    argument.insert(QStringLiteral("logPath"),
        QStandardPaths::writableLocation(QStandardPaths::HomeLocation)
            + QStringLiteral("/zov_qm_student/logs/"));
    argument.insert(QStringLiteral("markId"), context.userId);
    return { compactJson(argument) };
}
