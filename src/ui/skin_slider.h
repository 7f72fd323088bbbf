// The image slider of the lighting panel: 25 positions, each with its own picture, moved by pressing
// and dragging along it.
#pragma once

#include <QAbstractSlider>
#include <QPixmap>
#include <vector>

namespace tavrin::ui {

class CSkinSlider : public QAbstractSlider {
    Q_OBJECT
public:
    static constexpr int kPositions = 25;

    explicit CSkinSlider(QWidget* parent = nullptr);

    // Picture i shows position i; a missing picture leaves the slider blank at that position.
    void SetPictures(std::vector<QPixmap> pictures);
    const QPixmap& CurrentPicture() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int PositionAt(int x) const;

    std::vector<QPixmap> pictures_;
};

}  // namespace tavrin::ui
