#pragma once

namespace Kyrano
{

// Three doubles, as read from a material file (colours, axes).
struct Vec3
{
    Vec3() : x(0), y(0), z(0) {}
    Vec3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

    double x, y, z;
};

} // namespace Kyrano
