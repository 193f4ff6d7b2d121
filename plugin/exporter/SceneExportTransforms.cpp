#include <cmath>

#include "exporter/KyranoSceneExporter.h"
#include "exporter/Transforms.h"

namespace {

// Longest motion blur span sampled, in frames.
const Real kMaxSpan = 100000.0f;

// The host time of a frame at a frame rate, as a reduced fraction: the nearest whole frame
// over the nearest whole frame rate.
BaseTime FrameTime(Real frame, LONG fps) {
  const LReal numerator = std::floor(std::fabs(LReal(frame)) + 0.5);
  const LReal denominator = std::floor(std::fabs(LReal(fps)) + 0.5);
  const bool negative = (frame < 0) != (fps < 0) && frame != 0 && fps != 0;
  BaseTime t(negative ? -numerator : numerator, denominator);
  t.Reduce();
  return t;
}

// The next object up: the parent, or for an object inside a generator's cache the
// generator.
BaseObject* UpOrGenerator(BaseObject* op) { return op->GetUp() ? op->GetUp() : op->GetCacheParent(); }

String Decimals8(Real v) { return RealToString(v, -1, 8); }

}  // namespace

namespace Helpers {

Matrix GetCorrectInverse(const Matrix& m) {
  const Real l1 = Len(m.v1), l2 = Len(m.v2), l3 = Len(m.v3);
  const Vector a = !m.v1, b = !m.v2, c = !m.v3;
  // Rows of the inverse are the cross products of the columns over the determinant.
  const Vector r0 = b % c, r1 = c % a, r2 = a % b;
  const Real det = a * r0;
  Matrix r;
  if (det != 0.0f) {
    r.v1 = Vector(r0.x, r1.x, r2.x) / det;
    r.v2 = Vector(r0.y, r1.y, r2.y) / det;
    r.v3 = Vector(r0.z, r1.z, r2.z) / det;
  }
  r.off = Vector();
  // The scales go on the rows: the transpose of a matrix made of rotation Q and axis scales S
  // is (Q S)^T = S Q^T. Scaling the columns instead (Q^T S) would stretch a rotated object
  // along the world's axes rather than its own, shearing it.
  const Vector rowScale(l1, l2, l3);
  r.v1 = Vector(r.v1.x * rowScale.x, r.v1.y * rowScale.y, r.v1.z * rowScale.z);
  r.v2 = Vector(r.v2.x * rowScale.x, r.v2.y * rowScale.y, r.v2.z * rowScale.z);
  r.v3 = Vector(r.v3.x * rowScale.x, r.v3.y * rowScale.y, r.v3.z * rowScale.z);
  return r;
}

}  // namespace Helpers

// Position and orientation of an element. The renderer's axes are the host's with y and z
// exchanged, so the matrix is written by axes X, Z, Y with components x, z, y.
Bool KyranoSceneExporter::SceneExportPosAndMatrix(TiXmlElement* parent, const Matrix& globalMatrix) {
  SceneExportVectorValue("pos", globalMatrix.off * sceneScale, parent, 1);
  const Matrix r = Helpers::GetCorrectInverse(globalMatrix);
  const Vector* axes[3] = {&r.v1, &r.v3, &r.v2};
  String text;
  for (int i = 0; i < 3; ++i) {
    if (i > 0) text += " ";
    text += Decimals8(axes[i]->x) + " " + Decimals8(axes[i]->z) + " " + Decimals8(axes[i]->y);
  }
  SceneExportStringValue("matrix", text, AppendElement("rotation", parent));
  return TRUE;
}

// Only the axis lengths: with motion blur the keyframes carry position and rotation.
Bool KyranoSceneExporter::SceneExportMoBlurMatrix(TiXmlElement* parent, const Matrix& globalMatrix) {
  const String text = Decimals8(Len(globalMatrix.v1)) + " 0 0 " + " 0 " + Decimals8(Len(globalMatrix.v3)) + " 0 " +
                      " 0 0 " + Decimals8(Len(globalMatrix.v2));
  SceneExportStringValue("matrix", text, AppendElement("rotation", parent));
  return TRUE;
}

// Positions are scaled to metres; the rotation axis is a direction and the angle is in
// radians, neither is scaled.
void KyranoSceneExporter::SceneExportKeyframe(Real time, TiXmlElement* parent, Real angle, const Vector& axis,
                                              const Vector& position) {
  TiXmlElement* keyframe = AppendElement("keyframe", parent);
  SceneExportRealValue("time", time, keyframe);
  SceneExportVectorValue("pos", position * sceneScale, keyframe, 1);
  TiXmlElement* rotation = AppendElement("rotation_quaternion", keyframe);
  SceneExportVectorValue("axis", axis, rotation, 1);
  SceneExportRealValue("angle", angle, rotation);
}

Bool KyranoSceneExporter::ObjectHasMotionBlurTag(BaseObject* object, Real& strength) {
  for (BaseObject* op = object; op; op = UpOrGenerator(op)) {
    if (BaseTag* tag = op->GetTag(Tmotionblur)) {
      strength = tag->GetDataInstance()->GetReal(MOTIONBLURTAG_STRENGTH, 1.0f);
      return TRUE;
    }
  }
  return FALSE;
}

BaseObject* KyranoSceneExporter::GetTopmostAnimated(BaseObject* object) {
  BaseObject* topmost = nullptr;
  for (BaseObject* op = object; op; op = UpOrGenerator(op))
    if (op->GetFirstCTrack()) topmost = op;
  return topmost;
}

// Samples the object's motion over the exposure as keyframes at times 0 to 1: the current
// frame, every whole frame inside the span, and the frame nearest the span's end. Only the
// topmost animated object on the object's chain is re-evaluated at those frames, and it is
// set back to the current frame afterwards.
Bool KyranoSceneExporter::SceneExportObjectMotionBlur(TiXmlElement* parent, BaseObject* object) {
  Real strength = 1.0f;
  if (!object || !document || !ObjectHasMotionBlurTag(object, strength)) return FALSE;
  const LONG fps = document->GetFps();
  const LONG frame = currentFrame;
  const Real exposure = exposureDuration;
  BaseObject* animated = GetTopmostAnimated(object);
  if (!animated) animated = object;

  // An exposure or strength out of all proportion (or not a number) is held to a span the
  // sampling can count, so that the export always ends.
  Real span = Real(fps) * exposure * strength;
  span = std::isnan(span) ? 0.0f : std::fmax(-kMaxSpan, std::fmin(span, kMaxSpan));
  const Real endFrame = Real(frame) + span;
  const LONG n = LONG(std::floor(span + 0.5f));
  // Below half a frame there is nothing between the first and the last keyframe; the step
  // is then only reported, as 1.
  const Real step = n > 0 ? 1.0f / Real(n) : 1.0f;

  SceneExportComment(String("mExposure ") + RealToString(exposure, -1, 5, FALSE, '0'), parent);
  SceneExportComment(String("step ") + RealToString(step, -1, 5, FALSE, '0'), parent);
  SceneExportComment(String("strength ") + RealToString(strength, -1, 5, FALSE, '0'), parent);
  SceneExportComment(String("frame ") + LongToString(frame), parent);

  auto keyframeAt = [&](Real time) {
    const Matrix m = object->GetMg();
    Vector axis;
    Real angle = 0.0f;
    MatrixToRotAxis(m, &axis, &angle);
    SceneExportKeyframe(time, parent, angle, axis, m.off);
  };

  keyframeAt(0.0f);
  for (LONG i = 1; Real(frame + i) < endFrame - 0.5f; ++i) {
    document->AnimateObject(animated, FrameTime(Real(frame + i), fps), ANIMATE_NO_PARENTS);
    SceneExportComment(String("frame ") + LongToString(frame + i), parent);
    keyframeAt(Real(i) * step);
  }
  document->AnimateObject(animated, FrameTime(endFrame, fps), ANIMATE_NO_PARENTS);
  SceneExportComment(String("frame ") + LongToString(LONG(endFrame)), parent);
  keyframeAt(1.0f);

  document->AnimateObject(animated, FrameTime(Real(currentFrame), fps), ANIMATE_NO_PARENTS);
  return TRUE;
}
