#include "widgets/AboutDialog.h"

#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

AboutDialog::AboutDialog(const QString& version, QWidget* parent)
    : CustomDialogBase(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QIcon(QStringLiteral("res/student.png")));
    setTitle(QStringLiteral("关于"), QStringLiteral("color: #000000;"));
    setFixedSize(312, 240);

    auto* layout = new QVBoxLayout(centralWidget());
    layout->setContentsMargins(20, 16, 20, 24);
    layout->setSpacing(8);

    QLabel* icon = addLabel(QStringLiteral("iconLabel"), QString());
    icon->setPixmap(QPixmap(QStringLiteral("res/student.png")));
    QLabel* name = addLabel(QStringLiteral("nameLabel"),
        QStringLiteral("color:#212831;font:16px \"Microsoft YaHei\";"));
    name->setText(QStringLiteral("Zov1对1学生版"));
    QLabel* versionLine = addLabel(QStringLiteral("versionLabel"),
        QStringLiteral("color:#858C96;font:14px \"Microsoft YaHei\";"));
    versionLine->setText(QStringLiteral("版本号 %1").arg(version));
}

QLabel* AboutDialog::addLabel(const QString& objectName, const QString& styleSheet)
{
    auto* label = new QLabel(centralWidget());
    label->setObjectName(objectName);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(styleSheet);
    centralWidget()->layout()->addWidget(label);
    return label;
}
