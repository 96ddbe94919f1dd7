#pragma once
// The sample sheet window's preview of the last page; its form promotes it.

#include <QColor>
#include <QImage>
#include <QSize>
#include <QWidget>

namespace mf {

inline constexpr int kPreviewSide = 2480;

// The size a page is shown at when the preview fits it whole into area: in proportion, as
// large as fits.
QSize previewFitSize(QSize page, QSize area);

// The preview raster: drawn straight from the image, so a page shown costs no conversion. Fitted
// to the preview area, it shows the last page whole, scaled once per page or resize.
class PreviewImage : public QWidget {
public:
    // Throws std::bad_alloc when the raster cannot be had.
    explicit PreviewImage(QWidget *parent = nullptr);
    void clear(const QColor &colour);
    void show(const QImage &page, const QColor &background);
    // Fitted: as large as area, the page scaled into it; otherwise the full-size raster.
    void setFit(bool fit, QSize area);
    bool fit() const { return m_fit; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refit();

    QImage m_image;
    QImage m_page;   // the last page shown
    QImage m_fitted; // it, scaled to the area
    QColor m_background;
    bool m_fit = false;
};

} // namespace mf
