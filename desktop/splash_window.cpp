#include "desktop/splash_window.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "desktop/progress_window.h"
#include "desktop/text.h"
#include "desktop/window_parts.h"
#include "tools/splash.h"

namespace gildex::desktop {

namespace {

constexpr int kWidth = Pixels(7470), kHeight = Pixels(4815);

// The emblem: a gold tile holding a page of code with a shield over it, the handler that
// catches what goes wrong.
void DrawEmblem(QPainter& p, const QRectF& at) {
  p.save();
  p.translate(at.topLeft());
  p.scale(at.width() / 100.0, at.height() / 100.0);
  QLinearGradient gold(0, 0, 0, 100);
  gold.setColorAt(0, QColor(250, 214, 110));
  gold.setColorAt(1, QColor(196, 138, 24));
  p.setPen(QPen(QColor(120, 80, 10), 2));
  p.setBrush(gold);
  p.drawRoundedRect(QRectF(2, 2, 96, 96), 16, 16);
  p.setPen(QPen(QColor(90, 90, 90), 1.5));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(18, 14, 46, 62));
  p.setPen(QPen(QColor(40, 80, 160), 3, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 6; ++i) {
    const double indent = (i == 0 || i == 5) ? 0 : 6;
    p.drawLine(QPointF(25 + indent, 24 + i * 9), QPointF(i % 2 ? 50 : 56, 24 + i * 9));
  }
  QPainterPath shield;
  shield.moveTo(66, 40);
  shield.cubicTo(74, 44, 82, 44, 88, 40);
  shield.lineTo(88, 62);
  shield.cubicTo(88, 76, 78, 84, 77, 86);
  shield.cubicTo(76, 84, 66, 76, 66, 62);
  shield.closeSubpath();
  p.setPen(QPen(QColor(20, 60, 30), 2));
  p.setBrush(QColor(40, 150, 70));
  p.drawPath(shield);
  p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolyline(QPolygonF({QPointF(71, 60), QPointF(76, 66), QPointF(84, 53)}));
  p.restore();
}

}  // namespace

SplashWindow::SplashWindow(const QString& program_version)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("frmSplash");
  setAttribute(Qt::WA_QuitOnClose, false);
  setFixedSize(kWidth, kHeight);
  version = new QLabel(FromVb(SplashVersion(ToVb(program_version))), this);
  version->setObjectName("lblVersion");
  QFont version_font = font();
  version_font.setPointSizeF(version_font.pointSizeF() * 1.2);
  version_font.setBold(true);
  version->setFont(version_font);
  version->setStyleSheet("color: rgb(250, 214, 110);");
  version->setGeometry(190, 150, 200, 24);
  info = new QLabel(FromVb(SplashInfo()), this);
  info->setObjectName("lblInfo");
  QFont arial("Arial");
  arial.setStyleHint(QFont::SansSerif);
  arial.setPointSizeF(font().pointSizeF() * 0.9);
  info->setFont(arial);
  info->setWordWrap(true);
  info->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  info->setStyleSheet("color: rgb(220, 228, 240);");
  info->setGeometry(24, kHeight - 86, kWidth - 48, 70);
  timer = new QTimer(this);
  timer->setObjectName("Timer1");
  timer->setSingleShot(true);
  timer->setInterval(kSplashInterval);
  connect(timer, &QTimer::timeout, this, &QWidget::close);
}

void SplashWindow::ShowTopmost() {
  setCursor(Qt::WaitCursor);
  CentreOnScreen(this);
  show();
  raise();
  repaint();
  timer->start();
}

void SplashWindow::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, height());
  sky.setColorAt(0, QColor(34, 62, 112));
  sky.setColorAt(1, QColor(12, 26, 54));
  p.fillRect(rect(), sky);
  p.setPen(QPen(QColor(196, 138, 24), 2));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(1, 1, width() - 2, height() - 2));
  DrawEmblem(p, QRectF(36, 40, 128, 128));
  QFont title("DejaVu Serif");
  title.setStyleHint(QFont::Serif);
  title.setPixelSize(64);
  title.setBold(true);
  p.setFont(title);
  p.setPen(Qt::white);
  p.drawText(QRectF(186, 48, width() - 200, 80), Qt::AlignLeft | Qt::AlignVCenter, "Gildex");
  QFont subtitle("DejaVu Sans");
  subtitle.setStyleHint(QFont::SansSerif);
  subtitle.setPixelSize(15);
  p.setFont(subtitle);
  p.setPen(QColor(200, 212, 232));
  p.drawText(QRectF(190, 120, width() - 204, 24), Qt::AlignLeft | Qt::AlignVCenter,
             "Error handling for Visual Basic 6");
  p.setPen(QPen(QColor(196, 138, 24, 160), 1));
  p.drawLine(QPointF(24, height() - 96), QPointF(width() - 24, height() - 96));
}

}  // namespace gildex::desktop
