// A picture control of the skinned windows: shows one bitmap at its own size from the top-left
// corner and reports clicks. Without a picture it stays blank.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace tavrin::ui {

class PictureStatic : public QWidget {
    Q_OBJECT
public:
    explicit PictureStatic(QWidget* parent = nullptr);

    void SetPicture(const QPixmap& picture);
    const QPixmap& Picture() const { return picture_; }

signals:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap picture_;
    bool pressed_ = false;
};

}  // namespace tavrin::ui
