#include "ScriptedCameras.h"

#include "core/CameraBackend.h"

namespace {

using zov::capture::CameraInfo;
using zov::capture::DesireCameraInfo;

// The backend only reports to the record; the test plays the camera through it.
class ScriptedCamera : public zov::capture::CameraBackend
{
public:
    ScriptedCamera(ScriptedCameras& record, QObject* parent)
        : CameraBackend(parent)
        , m_record(record)
    { }

    QString name() const override { return QStringLiteral("scripted"); }
    QList<CameraInfo> cameras() override
    {
        ++m_record.listings;
        return m_record.cameras;
    }
    bool start(const DesireCameraInfo& desired) override
    {
        m_record.starts << desired;
        m_record.running = desired.index >= 0 && desired.index < m_record.cameras.size()
            && !m_record.broken.contains(desired.name);
        return m_record.running;
    }
    void stop() override
    {
        ++m_record.stops;
        m_record.running = false;
    }

private:
    ScriptedCameras& m_record;
};

} // namespace

ScriptedCameras::ScriptedCameras()
{
    setCurrent(this);
}

ScriptedCameras::~ScriptedCameras()
{
    setCurrent(nullptr);
}

zov::capture::CameraBackend* ScriptedCameras::createCameraBackend(
    zov::capture::CameraCaptureType type, QObject* parent)
{
    types << type;
    auto* backend = new ScriptedCamera(*this, parent);
    camera = backend;
    return backend;
}

void ScriptedCameras::addCamera(
    const QString& name, const QList<zov::capture::CameraFormat>& formats)
{
    CameraInfo info;
    info.index = cameras.size();
    info.name = name;
    info.devicePath = QStringLiteral("/dev/video%1").arg(info.index);
    info.formats = formats;
    cameras << info;
}

void ScriptedCameras::deliverFrame(const QImage& frame)
{
    if (camera && running)
        emit static_cast<zov::capture::CameraBackend*>(camera.data())->frameAvailable(frame);
}
