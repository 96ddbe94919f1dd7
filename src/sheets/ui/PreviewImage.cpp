#include "sheets/ui/PreviewImage.h"

#include <QPaintEvent>
#include <QPainter>

#include <new>

namespace mf {

QSize previewFitSize(QSize page, QSize area)
{
    if (page.isEmpty() || area.isEmpty())
        return {};
    return page.scaled(area, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

PreviewImage::PreviewImage(QWidget *parent) : QWidget(parent)
{
    m_image = QImage(kPreviewSide, kPreviewSide, QImage::Format_RGB32);
    if (m_image.isNull())
        throw std::bad_alloc();
    setFixedSize(kPreviewSide, kPreviewSide);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewImage::clear(const QColor &colour)
{
    m_background = colour;
    m_image.fill(colour);
    m_page = m_fitted = QImage();
    update();
}

void PreviewImage::show(const QImage &page, const QColor &background)
{
    m_background = background;
    m_image.fill(background);
    QPainter(&m_image).drawImage(0, 0, page);
    m_page = page;
    refit();
    update();
}

void PreviewImage::setFit(bool fit, QSize area)
{
    m_fit = fit;
    setFixedSize(fit ? area.expandedTo(QSize(1, 1)) : QSize(kPreviewSide, kPreviewSide));
    refit();
    update();
}

void PreviewImage::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    if (!m_fit) {
        p.drawImage(event->rect(), m_image, event->rect());
        return;
    }
    p.fillRect(rect(), m_background);
    p.drawImage(0, 0, m_fitted);
}

void PreviewImage::refit()
{
    m_fitted = QImage();
    if (m_fit && !m_page.isNull())
        m_fitted = m_page.scaled(previewFitSize(m_page.size(), size()), Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
}

} // namespace mf
