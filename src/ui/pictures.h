#pragma once
// Every picture of the program, drawn in code: the receptor icon strip, the
// three model pictures, the empty view, the splash, the application icon and
// the wizard's pictures.
#include <QIcon>
#include <QImage>

namespace ks::pictures {

QImage IconStrip();                 // 96 x 96, four 24 x 24 cells along the top (sensor, bias, processor, action)
QImage ModelPicture(int state);     // 128 x 96: -1 training, 0 all learned, otherwise not all learned
QImage EmptyView();                 // 720 x 420, shown while no project is open
QImage Splash();                    // 480 x 300
QIcon AppIcon();
QIcon ButtonIcon(const QString& name);  // small images of the page buttons
QImage WizardSide(int width, int height);  // the wizard frame's left strip
QImage WizardStep(int page);               // 64 x 64, one per wizard page
QImage ImportLayout(bool names);           // the layout a data file must have

}  // namespace ks::pictures
