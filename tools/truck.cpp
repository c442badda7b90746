// The cargo truck: a small solid model rendered from 13 headings, facing right (0) to facing left (12).
#include "tools/truck.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace gen {

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr int kSuper = 4;          // samples per pixel along each axis
constexpr float kPitch = 10.0f;    // degrees the camera looks down on the truck

struct Vec3 {
  float x, y, z;
};

Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 normalised(Vec3 v) {
  float l = std::sqrt(dot(v, v));
  return l > 0 ? Vec3{v.x / l, v.y / l, v.z / l} : v;
}

// Model space: x forward, y up, z toward the viewer when the truck faces right; one unit is one pixel.
using Surface = std::function<Rgba(Vec3 point, Vec3 normal)>;

struct Face {
  std::vector<Vec3> corners;  // convex, any winding
  const Surface* surface;
  float glossy;
  Vec3 part_centre;  // inside the solid part, to tell outward from inward
};

struct Model {
  std::vector<Face> faces;
  std::vector<Surface> surfaces;  // kept alive for the faces
};

// A side profile (x, y) extruded across z0..z1: caps plus one quad per profile edge.
void add_prism(std::vector<Face>& faces, const std::vector<std::pair<float, float>>& profile, float z0, float z1,
               const Surface* surface, float glossy = 0) {
  Vec3 centre{0, 0, (z0 + z1) / 2};
  for (auto [x, y] : profile) {
    centre.x += x / profile.size();
    centre.y += y / profile.size();
  }
  Face near_cap{{}, surface, glossy, centre}, far_cap{{}, surface, glossy, centre};
  for (auto [x, y] : profile) {
    near_cap.corners.push_back({x, y, z1});
    far_cap.corners.push_back({x, y, z0});
  }
  faces.push_back(near_cap);
  faces.push_back(far_cap);
  for (std::size_t i = 0; i < profile.size(); ++i) {
    auto [ax, ay] = profile[i];
    auto [bx, by] = profile[(i + 1) % profile.size()];
    faces.push_back({{{ax, ay, z0}, {bx, by, z0}, {bx, by, z1}, {ax, ay, z1}}, surface, glossy, centre});
  }
}

void add_box(std::vector<Face>& faces, float x0, float x1, float y0, float y1, float z0, float z1,
             const Surface* surface, float glossy = 0) {
  add_prism(faces, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, z0, z1, surface, glossy);
}

// Outward normal of a face of a convex part.
Vec3 face_normal(const Face& f) {
  Vec3 n = normalised(cross(f.corners[1] - f.corners[0], f.corners[2] - f.corners[0]));
  if (dot(n, f.corners[0] - f.part_centre) < 0) n = {-n.x, -n.y, -n.z};
  return n;
}

const Rgba kRed = rgb(214, 38, 30);
const Rgba kWhite = rgb(236, 238, 242);
const Rgba kGlass = rgb(40, 70, 120);
const Rgba kDark = rgb(48, 50, 56);
const Rgba kMetal = rgb(120, 128, 138);
const Rgba kGlow = rgb(255, 170, 60);

Model build_model() {
  Model m;
  m.surfaces.reserve(8);
  // Cargo box: white with a red band, a thin blue line, panel seams and a rear door.
  m.surfaces.push_back([](Vec3 p, Vec3 n) {
    if (n.y > 0.5f) return rgb(222, 224, 230);
    if (n.x < -0.5f) {
      if (std::fabs(p.z) < 0.6f) return rgb(150, 152, 160);
      if (p.y > -2 && p.y < 5) return kRed;
      return rgb(210, 212, 218);
    }
    if (p.y > 0 && p.y < 7) return kRed;
    if (p.y > -5 && p.y < -3) return rgb(40, 90, 200);
    if (std::fmod(p.x + 46.0f, 9.0f) < 0.7f) return rgb(196, 198, 206);
    return kWhite;
  });
  // Cab: red, glass windscreen and side windows, grille and lamps in front.
  m.surfaces.push_back([](Vec3 p, Vec3 n) {
    bool slanted = n.x > 0.3f && n.y > 0.3f;
    if (slanted) return p.y > 3 ? kGlass : kRed;
    if (n.x > 0.7f) {
      if (std::fabs(p.z) > 10 && p.y > -8 && p.y < -3) return rgb(255, 244, 190);
      if (p.y > -10 && p.y < -2 && std::fmod(p.y + 20.0f, 2.0f) < 1.0f) return rgb(60, 62, 70);
      return kRed;
    }
    if (std::fabs(n.z) > 0.7f) {
      if (p.x > 19 && p.x < 35 - (p.y - 2) * 0.45f && p.y > 2 && p.y < 11) return kGlass;
      if (std::fabs(p.x - 17.5f) < 0.5f && p.y > -10) return rgb(150, 20, 18);
      if (p.y < -8) return rgb(160, 26, 22);
    }
    return kRed;
  });
  m.surfaces.push_back([](Vec3, Vec3) { return kDark; });
  // Jet pods and the rear thruster: metal with glowing nozzles.
  m.surfaces.push_back([](Vec3 p, Vec3 n) {
    if (n.y < -0.5f) return kGlow;
    if (n.x < -0.7f && p.x < -47) return kGlow;
    return kMetal;
  });
  m.surfaces.push_back([](Vec3, Vec3) { return rgb(70, 72, 80); });
  const Surface* box = &m.surfaces[0];
  const Surface* cab = &m.surfaces[1];
  const Surface* chassis = &m.surfaces[2];
  const Surface* metal = &m.surfaces[3];
  const Surface* skid = &m.surfaces[4];

  add_box(m.faces, -46, 8, -10, 24, -18, 18, box);
  add_prism(m.faces, {{8, -12}, {44, -12}, {45, -1}, {38, 13}, {8, 14}}, -17, 17, cab, 0.8f);
  add_box(m.faces, -44, 42, -17, -10, -15, 15, chassis);
  for (float cx : {-20.0f, 20.0f}) add_box(m.faces, cx - 9, cx + 9, -25, -17, -13, 13, metal, 0.4f);
  add_box(m.faces, -48, -34, 17, 28, -7, 7, metal, 0.4f);
  for (float z : {-15.0f, 13.0f}) {
    add_box(m.faces, -34, 34, -30, -27, z, z + 2, skid);
    for (float x : {-26.0f, 26.0f}) add_box(m.faces, x - 1.5f, x + 1.5f, -27, -17, z, z + 2, skid);
  }
  return m;
}

struct Sample {
  float depth = -1e30f;
  Rgba colour{};
  bool hit = false;
};

}  // namespace

Canvas truck_picture(int frame, float scale) {
  static const Model model = build_model();
  const float yaw = frame * 15.0f * kPi / 180.0f;
  const float pitch = kPitch * kPi / 180.0f;
  const float cy = std::cos(yaw), sy = std::sin(yaw), cp = std::cos(pitch), sp = std::sin(pitch);
  const Vec3 light = normalised({-0.45f, 0.8f, 0.55f});

  // View space: X right, Y up, Z toward the viewer, then tipped by the pitch.
  auto to_view = [&](Vec3 p) {
    float x = p.x * cy - p.z * sy;
    float z = p.x * sy + p.z * cy;
    return Vec3{x, p.y * cp - z * sp, z * cp + p.y * sp};
  };

  const int width = static_cast<int>(kTruckWidth * scale), height = static_cast<int>(kTruckHeight * scale);
  const int sw = width * kSuper, sh = height * kSuper;
  std::vector<Sample> samples(static_cast<std::size_t>(sw) * sh);
  const float ox = width / 2.0f / scale, oy = height / 2.0f / scale;

  for (const Face& face : model.faces) {
    Vec3 n_model = face_normal(face);
    Vec3 n_view = normalised(to_view(n_model));
    if (n_view.z <= 0.001f) continue;
    float diffuse = std::max(0.0f, dot(n_view, light));
    float shade = 0.5f + 0.62f * diffuse;
    Vec3 half = normalised({light.x, light.y, light.z + 1});
    float spec = face.glossy * std::pow(std::max(0.0f, dot(n_view, half)), 24.0f);

    std::vector<Vec3> view;
    for (const Vec3& c : face.corners) view.push_back(to_view(c));
    for (std::size_t t = 1; t + 1 < view.size(); ++t) {
      Vec3 a = view[0], b = view[t], c = view[t + 1];
      Vec3 ma = face.corners[0], mb = face.corners[t], mc = face.corners[t + 1];
      // Screen positions in samples.
      const float k = kSuper * scale;
      float ax = (ox + a.x) * k, ay = (oy - a.y) * k;
      float bx = (ox + b.x) * k, by = (oy - b.y) * k;
      float cx = (ox + c.x) * k, cyy = (oy - c.y) * k;
      float area = (bx - ax) * (cyy - ay) - (by - ay) * (cx - ax);
      if (std::fabs(area) < 1e-6f) continue;
      int x0 = std::max(0, static_cast<int>(std::floor(std::min({ax, bx, cx}))));
      int x1 = std::min(sw - 1, static_cast<int>(std::ceil(std::max({ax, bx, cx}))));
      int y0 = std::max(0, static_cast<int>(std::floor(std::min({ay, by, cyy}))));
      int y1 = std::min(sh - 1, static_cast<int>(std::ceil(std::max({ay, by, cyy}))));
      for (int py = y0; py <= y1; ++py) {
        for (int px = x0; px <= x1; ++px) {
          float qx = px + 0.5f, qy = py + 0.5f;
          float w0 = ((bx - qx) * (cyy - qy) - (by - qy) * (cx - qx)) / area;
          float w1 = ((cx - qx) * (ay - qy) - (cyy - qy) * (ax - qx)) / area;
          float w2 = 1 - w0 - w1;
          if (w0 < -1e-5f || w1 < -1e-5f || w2 < -1e-5f) continue;
          float depth = w0 * a.z + w1 * b.z + w2 * c.z;
          Sample& s = samples[static_cast<std::size_t>(py) * sw + px];
          if (depth <= s.depth) continue;
          Vec3 mp{w0 * ma.x + w1 * mb.x + w2 * mc.x, w0 * ma.y + w1 * mb.y + w2 * mc.y,
                  w0 * ma.z + w1 * mb.z + w2 * mc.z};
          Rgba base = (*face.surface)(mp, n_model);
          bool emissive = base.r == kGlow.r && base.g == kGlow.g && base.b == kGlow.b;
          Rgba lit = emissive ? base : scaled(base, shade);
          lit = {std::min(1.0f, lit.r + spec), std::min(1.0f, lit.g + spec), std::min(1.0f, lit.b + spec), 1};
          s = {depth, lit, true};
        }
      }
    }
  }

  Canvas out(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      float r = 0, g = 0, b = 0;
      int hits = 0;
      for (int sy2 = 0; sy2 < kSuper; ++sy2) {
        for (int sx2 = 0; sx2 < kSuper; ++sx2) {
          const Sample& s = samples[static_cast<std::size_t>(y * kSuper + sy2) * sw + x * kSuper + sx2];
          if (!s.hit) continue;
          r += s.colour.r, g += s.colour.g, b += s.colour.b;
          ++hits;
        }
      }
      if (hits > 0) out.at(x, y) = {r / hits, g / hits, b / hits, float(hits) / (kSuper * kSuper)};
    }
  }
  outline(out, rgb(20, 16, 24, 0.9f), std::max(1, static_cast<int>(scale)));
  return out;
}

Canvas truck_frame(int frame) { return truck_picture(frame, 1.0f); }

}  // namespace gen
