#include "views/ViewLighting.h"

#include <GL/gl.h>

void applyViewLighting()
{
    const GLfloat lightPosition[4] = {-25.0f, 25.0f, 25.0f, 0.0f};
    const GLfloat lightDiffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    const GLfloat lightSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat ambient[4] = {0.4f, 0.4f, 0.4f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, lightSpecular);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}
