#pragma once

#include <QJsonValue>
#include <QWidget>

#include <memory>

class QLabel;
class QProcess;
class QPushButton;

// The main window's title bar: the product name, the signed-in mark, settings, about,
// minimise and close. It also runs the log upload, which the page can ask for at any time.
class CourseListTitle : public QWidget
{
    Q_OBJECT
public:
    explicit CourseListTitle(QWidget* parent = nullptr);
    ~CourseListTitle() override;

    void setSignedIn(bool signedIn);
    // The uploader's single argument, built from the service's upload-config reply.
    static QStringList uploaderArguments(const QJsonObject& reply);

signals:
    void sigAbout();
    void sigSettings();
    void sigMinimize();
    void sigClose();
    // The window shows its short notice while the upload starts.
    void sigUploadNotice();

public slots:
    void onUploadLog();
    void onUploadInfoResult(bool stat, QJsonValue jsonValue, QString errMsg);

private:
    QPushButton* addTitleButton(const QString& objectName, const QString& text);
    void requestUploadConfig();

    QLabel* m_signedInLabel = nullptr;
    // Reused for every upload, so that one upload runs at a time.
    std::unique_ptr<QProcess> m_uploader;
};
