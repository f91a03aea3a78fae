// The panel picture of the login window, drawn here rather than taken from anywhere.
// Build against Qt6::Gui and run: draw_logo logo.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const int S = 320;  // drawn at 2x, scaled down for smooth edges
  QImage img(S, S, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  // price tag
  QPainterPath tag;
  tag.moveTo(40, 110);
  tag.lineTo(110, 40);
  tag.lineTo(250, 40);
  tag.lineTo(250, 180);
  tag.lineTo(180, 250);
  tag.lineTo(40, 250);
  tag.closeSubpath();
  p.save();
  p.translate(160, 160);
  p.rotate(-8);
  p.translate(-160, -160);
  p.setPen(QPen(QColor(0x1f, 0x4e, 0x79), 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(0xf2, 0xb1, 0x34));
  p.drawPath(tag);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(95, 95), 16, 16);
  p.restore();
  // gavel: head and handle
  p.save();
  p.translate(185, 175);
  p.rotate(-40);
  p.setPen(QPen(QColor(0x3b, 0x24, 0x10), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(0x8b, 0x5a, 0x2b));
  p.drawRoundedRect(QRectF(-12, -10, 24, 150), 10, 10);  // handle
  p.setBrush(QColor(0x6b, 0x3e, 0x1a));
  p.drawRoundedRect(QRectF(-70, -60, 140, 56), 14, 14);  // head
  p.setBrush(QColor(0xc9, 0x9a, 0x5b));
  p.drawRoundedRect(QRectF(-82, -66, 20, 68), 6, 6);  // bands
  p.drawRoundedRect(QRectF(62, -66, 20, 68), 6, 6);
  p.restore();
  // sound block
  p.setPen(QPen(QColor(0x3b, 0x24, 0x10), 6));
  p.setBrush(QColor(0x6b, 0x3e, 0x1a));
  p.drawRoundedRect(QRectF(60, 262, 200, 34), 10, 10);
  p.end();
  img.scaled(160, 160, Qt::KeepAspectRatio, Qt::SmoothTransformation).save(argv[1]);
}
