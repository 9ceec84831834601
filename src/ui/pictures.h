#pragma once
// Every picture of the program, drawn in code: the receptor icon strip, the
// three model pictures, the empty view, the splash and the application icon.
#include <QIcon>
#include <QImage>

namespace ks::pictures {

QImage IconStrip();                 // 96 x 96, four 24 x 24 cells along the top (sensor, bias, processor, action)
QImage ModelPicture(int state);     // 128 x 96: -1 training, 0 all learned, otherwise not all learned
QImage EmptyView();                 // 720 x 420, shown while no project is open
QImage Splash();                    // 480 x 300
QIcon AppIcon();
QIcon ButtonIcon(const QString& name);  // small images of the page buttons

}  // namespace ks::pictures
