#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

namespace quorvel::SceneRender {

// Every scene's name.
QStringList sceneNames();

// The panel showing the scene `name`, drawn offscreen at `scale` times its
// size; nothing when no scene has that exact name. Needs the application
// object.
std::optional<QImage> render(const QString &name, int scale);

} // namespace quorvel::SceneRender
