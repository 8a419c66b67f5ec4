#include "gui/framework/qt/picture_preview.h"

#include <QApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QPointer>
#include <QThreadPool>

namespace fw::qt {
namespace {

// The room the picture leaves to the button's frame on each side, in pixels.
constexpr int kFrame = 3;

// Reads the file already scaled down to fit into box, in its proportions;
// a JPEG reader then decodes only as many pixels as it needs.
QImage Decode(const QString& file, const QSize& box) {
  QImageReader reader(file);
  reader.setAutoTransform(true);
  if (const QSize size = reader.size(); size.isValid())
    reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio));
  return reader.read();
}

}  // namespace

PicturePreview::PicturePreview(QWidget* parent) : QToolButton(parent) {
  setAutoRaise(true);
  setFocusPolicy(Qt::StrongFocus);
}

void PicturePreview::ShowPicture(const QString& path, const QString& source) {
  m_path = path;
  setToolTip(path);
  setAccessibleDescription(path);
  setIconSize(size().shrunkBy(QMargins(kFrame, kFrame, kFrame, kFrame)));
  const qreal ratio = devicePixelRatioF();
  const QSize box = iconSize() * ratio;
  const std::uint64_t request = ++m_request;
  // The pointer is only read back on this thread, where the page may have
  // gone meanwhile.
  QPointer<PicturePreview> self(this);
  QThreadPool::globalInstance()->start([self, request, source, box, ratio] {
    QImage image = Decode(source, box);
    image.setDevicePixelRatio(ratio);
    QMetaObject::invokeMethod(
        qApp,
        [self, request, image] {
          if (self)
            self->TakeDecoded(request, image);
        },
        Qt::QueuedConnection);
  });
}

void PicturePreview::TakeDecoded(std::uint64_t request, const QImage& image) {
  if (request != m_request)
    return;
  m_image = image;
  setIcon(QIcon(QPixmap::fromImage(image)));
}

void PicturePreview::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
    click();
  else
    QToolButton::keyPressEvent(event);
}

}  // namespace fw::qt
