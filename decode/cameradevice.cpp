#include "cameradevice.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QtDebug>

namespace CameraDevices {

namespace {

Factory &factory()
{
    static Factory instance;
    return instance;
}

using CreateCamera = CameraDevice *(*)();

// OpenCV's video input pulls in some 250 libraries, and most sessions never
// open the camera: its module is loaded on first use.
CreateCamera loadModule()
{
    static const CreateCamera create = [] {
        for (const QString &path : {QCoreApplication::applicationDirPath() + QStringLiteral("/vopa-camera"),
                                    QStringLiteral(VOPA_CAMERA_MODULE)}) {
            QLibrary module(path);
            if (module.load())
                return reinterpret_cast<CreateCamera>(module.resolve("vopaCreateCamera"));
        }
        qWarning("the camera module cannot be loaded");
        return CreateCamera(nullptr);
    }();
    return create;
}

} // namespace

void setFactory(Factory value)
{
    factory() = std::move(value);
}

std::unique_ptr<CameraDevice> create()
{
    if (factory())
        return factory()();
    const CreateCamera make = loadModule();
    return std::unique_ptr<CameraDevice>(make ? make() : nullptr);
}

} // namespace CameraDevices
