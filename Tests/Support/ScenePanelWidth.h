#pragma once

#include <QString>

#include "Support/MASShotFixtures.h"
#include "UI/MASRootView.h"
#include "UI/ProRootView.h"

namespace quorvel::test {

// The width of the panel a scene shows: the store edition's or the full one.
inline int scenePanelWidth(const QString &scene) {
    return masShotSceneFromRaw(scene.toStdString()) ? MASRootView::kWidth : ProRootView::kWidth;
}

} // namespace quorvel::test
