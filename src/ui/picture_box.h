#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <string>

namespace tamsor::ui {

// Largest picture accepted: each side and the pixel count. Reading the largest costs up to about
// eight bytes a pixel for a moment, however small it is shown: a progressive JPEG keeps six
// bytes of coefficients per pixel, and an interlaced PNG is read whole and converted once
// before it can be scaled. So one read stays under about 200 MB.
inline constexpr int max_picture_side = 20000;
inline constexpr qint64 max_picture_pixels = 25'000'000;

// Decodes picture bytes: PNG, JPEG, GIF or BMP, told from the bytes; other formats are not
// read. Pictures whose declared size is too large are refused before any pixel is decoded, so a
// hostile header cannot exhaust memory, and so are pictures cut short (see picture_ends.h).
// A picture wider or higher than `bound` comes back scaled down to it on that side (each side
// on its own: the boxes stretch their pictures); the scaling happens while it is read where the
// format allows, and otherwise once, right after, the whole picture dropped at once.
// What is no picture gives a null image.
QImage decode_picture(const std::string& bytes,
                      QSize bound = QSize(max_picture_side, max_picture_side));

// Shows one picture, either stretched over the whole box or at its natural size from the top
// left; optionally with a one-pixel border and a background colour.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    enum class Fit { stretch, top_left };

    PictureBox(QWidget* parent, const QString& name, const QRect& place, Fit fit,
               const QString& accessible_name);

    void set_border(bool on);
    void set_background(const QColor& colour);
    void set_picture(const QPixmap& picture);
    // Empty or undecodable bytes leave the box empty. The picture is kept no larger than the
    // kept size, which is twice the box's size (for screens of double density) unless set.
    void set_picture_bytes(const std::string& bytes);
    void set_kept_size(QSize size) { kept_size_ = size; }
    const QPixmap& picture() const { return picture_; }
    bool has_picture() const { return !picture_.isNull(); }

signals:
    void double_clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    Fit fit_;
    bool border_ = false;
    QColor background_;
    QPixmap picture_;
    QSize kept_size_;
};

}  // namespace tamsor::ui
