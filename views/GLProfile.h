#pragma once

#include <QOpenGLWidget>

#include <vector>

// A small plot of one curve, left to right, scaled to fill the plot's height,
// with its points and the level of the value 0.
class GLProfile : public QOpenGLWidget {
    Q_OBJECT

public:
    explicit GLProfile(QWidget* parent = nullptr, const char* name = nullptr);

    std::vector<float> curve;
    float maxValue = 1.0f;
    float minValue = 0.0f;
    // Draws every value however long the curve, instead of only those that change the plot
    // (ProfileReduction.h): the drawing the reduced one is held to.
    bool drawsEveryValue = false;

public slots:
    void setCurve(std::vector<float> curve);

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
};
