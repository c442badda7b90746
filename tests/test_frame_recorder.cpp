// The frame recorder: passes everything on, keeps exactly one frame's calls, and replays them.
#include <gtest/gtest.h>

#include "tests/frame_recorder.hpp"
#include "tests/recording_renderer.hpp"
#include "tests/renderer_shapes.hpp"

namespace {

using frame_replay::DrawCall;
using frame_replay::FrameRecorder;
using testing_support::RecordedCall;
using testing_support::RecordingRenderer;

rt::Picture small_picture(std::uint64_t id, std::uint32_t colour) {
  return renderer_shapes::solid_picture(2, colour, id);
}

void quad(rt::Renderer& r, const rt::Picture& p, float x) {
  const rt::TexVertex corners[4] = {{x, 0, 0, 0}, {x + 2, 0, 1, 0}, {x + 2, 2, 1, 1}, {x, 2, 0, 1}};
  r.draw_textured_quad(p, corners, rt::Colour{255, 255, 255, 255});
}

TEST(FrameRecorder, KeepsOnlyTheCallsUpToTheNextPresentAndPassesAllOn) {
  RecordingRenderer inner;
  FrameRecorder recorder(inner);
  ASSERT_TRUE(recorder.open(64, 48, 0, 0, 2));
  recorder.set_blend_mode(3);
  recorder.clear(rt::Colour{1, 2, 3, 255});
  recorder.present(false);
  recorder.record_from_now("one");
  EXPECT_TRUE(recorder.recording());
  const float square[8] = {0, 0, 4, 0, 4, 4, 0, 4};
  recorder.fill_polygon(square, 4, rt::Colour{9, 8, 7, 6});
  recorder.set_blend_mode(4);
  recorder.draw_line(1, 2, 3, 4, rt::Colour{});
  recorder.plot_point(5, 6, rt::Colour{});
  recorder.present(false);
  recorder.clear(rt::Colour{});  // the frame after is not kept
  recorder.present(false);

  ASSERT_TRUE(recorder.has_frame());
  const auto& frame = recorder.frame();
  EXPECT_EQ(frame.name, "one");
  EXPECT_EQ(frame.width, 64);
  EXPECT_EQ(frame.blend_mode_at_start, 3);
  ASSERT_EQ(frame.calls.size(), 4u);
  EXPECT_EQ(frame.calls[0].kind, DrawCall::Kind::Polygon);
  EXPECT_EQ(frame.calls[0].xy, std::vector<float>(square, square + 8));
  EXPECT_EQ(frame.calls[0].colour.a, 6);
  EXPECT_EQ(frame.calls[1].blend_mode, 4);
  EXPECT_EQ(frame.calls[2].xy, (std::vector<float>{1, 2, 3, 4}));
  EXPECT_EQ(frame.count(DrawCall::Kind::Point), 1);
  EXPECT_EQ(inner.calls.size(), 8u) << "every call reached the renderer behind";
  EXPECT_EQ(inner.modes, (std::vector<int>{3, 4}));
}

TEST(FrameRecorder, KeepsPicturesAsTheyWereDrawnOneCopyPerPicture) {
  RecordingRenderer inner;
  FrameRecorder recorder(inner);
  recorder.open(64, 48, 0, 0, 2);
  rt::Picture truck = small_picture(41, 0xFFFF0000);
  rt::Picture unnamed = small_picture(0, 0xFF00FF00);
  recorder.record_from_now("pictures");
  quad(recorder, truck, 0);
  quad(recorder, truck, 10);
  quad(recorder, unnamed, 20);
  truck.argb.assign(4, 0xFF0000FF);  // changed after drawing: the record keeps what was drawn
  recorder.present(false);
  const auto& calls = recorder.frame().calls;
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].picture, calls[1].picture);
  EXPECT_NE(calls[0].picture.get(), &truck);
  EXPECT_EQ(calls[0].picture->argb[0], 0xFFFF0000u);
  EXPECT_EQ(calls[2].picture->argb[0], 0xFF00FF00u);
  EXPECT_FLOAT_EQ(calls[1].corners[0].x, 10.0f);
}

TEST(FrameRecorder, ReplayDrawsTheSameCallsInOrderFromTheStartingBlendMode) {
  RecordingRenderer first_inner;
  FrameRecorder recorder(first_inner);
  recorder.open(64, 48, 0, 0, 2);
  const rt::Picture p = small_picture(7, 0xFFFFFFFF);
  recorder.set_blend_mode(5);
  recorder.record_from_now("again");
  quad(recorder, p, 3);
  recorder.set_blend_mode(2);
  recorder.clear(rt::Colour{4, 5, 6, 255});
  recorder.present(false);

  RecordingRenderer second;
  second.open(64, 48, 0, 0, 2);
  frame_replay::replay(recorder.frame(), second);
  EXPECT_EQ(second.modes, (std::vector<int>{5, 2}));
  ASSERT_EQ(second.calls.size(), 2u);
  EXPECT_EQ(second.calls[0].kind, RecordedCall::Quad);
  EXPECT_EQ(second.calls[0].xy[0], 3.0f);
  EXPECT_EQ(second.calls[1].kind, RecordedCall::Clear);
  EXPECT_EQ(second.calls[1].colour.b, 6);
}

}  // namespace
