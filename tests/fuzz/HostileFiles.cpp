// Hostile diagram files: files built to hold what structure-blind fuzzing
// rarely builds (links hooked onto links in circles and in long chains,
// thousands of links on one link, coordinates at the limits, counts and
// lengths far beyond the bytes that follow, pictures claiming absurd sizes,
// clashing identifiers, many objects). Each file is loaded and then edited
// with every operation of the operation fuzzer (OperationSession.cpp), each
// session checking the diagram, undo, redo and save after every step.
//
// Built with the sanitizers (scripts/fuzz.sh); a file that takes longer than
// its time bound, or a run whose memory passes the RSS bound, fails with the
// file's name.
//
//   hostile_files [--write DIR] [--only NAME]
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/OperationSession.h"

// The sanitizer runtime reads this at start-up: past 2 GiB of resident memory
// the run stops with a report.
extern "C" const char* __asan_default_options() { return "hard_rss_limit_mb=2048"; }

namespace {

using TBytes = std::vector<uint8_t>;

// Seconds one file may take, with all its sessions.
constexpr unsigned TimeBound = 120;

// ---- Writing records by hand -----------------------------------------------------------------

class TFile {
 public:
  TFile() { Put("0.GS"); }
  explicit TFile(int32_t count) : TFile() { Int32(count); }

  const TBytes& Bytes() const { return Bytes_; }

  void Put(std::string_view text) { Bytes_.insert(Bytes_.end(), text.begin(), text.end()); }
  void Byte(uint8_t b) { Bytes_.push_back(b); }
  void Int32(int32_t v) {
    for (int i = 0; i < 4; ++i) Bytes_.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
  }
  void Short(std::string_view text) {
    Byte(static_cast<uint8_t>(text.size()));
    Put(text);
  }

  // An object record up to its first property; End closes it.
  void Begin(std::string_view className) {
    Int32(static_cast<int32_t>(className.size() + 1));
    Put(className);
    Byte(0);
    Put("TPF0");
    Short("TGraphStreamableObject");
    Byte(0);
  }
  void End() {
    Byte(0);
    Byte(0);
  }

  // Property records.
  void Integer(std::string_view path, int64_t v) {
    Short(path);
    if (v >= INT32_MIN && v <= INT32_MAX) {
      Byte(0x04);
      Int32(static_cast<int32_t>(v));
    } else {
      Byte(0x13);
      for (int i = 0; i < 8; ++i) Byte(static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i)));
    }
  }
  void String(std::string_view path, std::string_view text) {
    Short(path);
    Byte(0x0C);
    Int32(static_cast<int32_t>(text.size()));
    Put(text);
  }
  // A binary property whose payload the caller writes; `length` is what the
  // record claims (the payload's true size unless a lie is wanted).
  void Binary(std::string_view path, int32_t length) {
    Short(path);
    Byte(0x0A);
    Int32(length);
  }
  void Points(const std::vector<std::pair<int32_t, int32_t>>& points) {
    Binary("G.BreakPoints", static_cast<int32_t>(4 + 8 * points.size()));
    Int32(static_cast<int32_t>(points.size()));
    for (const auto& [x, y] : points) {
      Int32(x);
      Int32(y);
    }
  }

  void Node(uint32_t id, int64_t left, int64_t top, int64_t width, int64_t height,
            std::string_view cls = "TRectangularNode") {
    Begin(cls);
    Integer("ID", id);
    Integer("G.Left", left);
    Integer("G.Top", top);
    Integer("G.Width", width);
    Integer("G.Height", height);
    End();
  }
  // A link with its ends (0: free) and points.
  void Link(uint32_t id, uint32_t source, uint32_t target,
            const std::vector<std::pair<int32_t, int32_t>>& points) {
    Begin("TGraphLink");
    Integer("ID", id);
    if (source) Integer("G.Source", source);
    if (target) Integer("G.Target", target);
    if (!points.empty()) Points(points);
    End();
  }

 private:
  TBytes Bytes_;
};

// A BMP file header and info header claiming `width` x `height` pixels at
// 24 bits, followed by `pixels` bytes.
TBytes BitmapClaiming(int32_t width, int32_t height, size_t pixels) {
  TBytes bytes{'B', 'M'};
  const auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  const auto put16 = [&](uint16_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  };
  put32(static_cast<uint32_t>(54 + pixels));
  put32(0);
  put32(54);
  put32(40);
  put32(static_cast<uint32_t>(width));
  put32(static_cast<uint32_t>(height));
  put16(1);
  put16(24);
  put32(0);
  put32(static_cast<uint32_t>(pixels));
  put32(2835);
  put32(2835);
  put32(0);
  put32(0);
  bytes.resize(bytes.size() + pixels, 0x7F);
  return bytes;
}

void Picture(TFile& f, std::string_view graphicClass, const TBytes& data, int32_t claimedSize) {
  f.Binary("G.Background.Data", static_cast<int32_t>(1 + graphicClass.size() + 4 + data.size()));
  f.Short(graphicClass);
  f.Int32(claimedSize);
  for (uint8_t b : data) f.Byte(b);
}

// ---- The files --------------------------------------------------------------------------------

using TPoints = std::vector<std::pair<int32_t, int32_t>>;

struct THostileFile {
  const char* Name;
  std::function<TBytes()> Build;
};

// A chain of `count` links, each hooked by its end onto the one before it
// (reversed: onto the one after it), the first between two nodes.
TBytes Chain(int32_t count, bool reversed) {
  TFile f(count + 2);
  f.Node(1, 0, 0, 40, 40);
  f.Node(2, 400, 0, 40, 40);
  for (int32_t i = 0; i < count; ++i) {
    const auto id = static_cast<uint32_t>(3 + i);
    const int32_t x = 20 + (i % 360);
    const int32_t y = 20 + i / 360;
    if (i == 0)
      f.Link(id, 1, 2, {{40, 20}, {400, 20}});
    else
      f.Link(id, 0, reversed ? (i + 1 < count ? id + 1 : 0) : id - 1, {{x, y + 10}, {x, y}});
  }
  return f.Bytes();
}

const THostileFile HostileFiles[] = {
    {"circle-of-three-links-each-hooked-onto-the-other-two",
     [] {
       TFile f(3);
       f.Link(1, 2, 3, {{0, 0}, {100, 0}});
       f.Link(2, 3, 1, {{100, 0}, {100, 100}});
       f.Link(3, 1, 2, {{100, 100}, {0, 0}});
       return f.Bytes();
     }},
    {"link-hooked-onto-itself-at-both-ends",
     [] {
       TFile f(1);
       f.Link(1, 1, 1, {{0, 0}, {50, 50}});
       return f.Bytes();
     }},
    {"circle-of-500-links",
     [] {
       TFile f(500);
       for (uint32_t i = 1; i <= 500; ++i)
         f.Link(i, 0, i % 500 + 1, {{static_cast<int32_t>(i), 0}, {static_cast<int32_t>(i), 30}});
       return f.Bytes();
     }},
    {"chain-of-600-links-hooked-onto-links", [] { return Chain(600, false); }},
    {"chain-of-600-links-stored-in-reverse", [] { return Chain(600, true); }},
    {"600-links-hooked-onto-one-link",
     [] {
       TFile f(603);
       f.Node(1, 0, 0, 40, 40);
       f.Node(2, 600, 0, 40, 40);
       f.Link(3, 1, 2, {{40, 20}, {600, 20}});
       for (uint32_t i = 0; i < 600; ++i) {
         const auto x = static_cast<int32_t>(50 + i % 500);
         f.Link(4 + i, 0, 3, {{x, 200 + static_cast<int32_t>(i / 500)}, {x, 20}});
       }
       return f.Bytes();
     }},
    {"hooked-ends-without-points-and-ends-on-missing-objects",
     [] {
       TFile f(5);
       f.Node(1, 0, 0, 40, 40);
       f.Link(2, 0, 1, {});
       f.Link(3, 1, 0, {});
       f.Link(4, 2, 3, {});
       f.Link(5, 99, 4000000000u, {{0, 0}});
       return f.Bytes();
     }},
    {"coordinates-at-the-limits",
     [] {
       TFile f(8);
       f.Node(1, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
       f.Node(2, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, "TEllipticNode");
       f.Node(3, -5, -5, -2000000000, -2000000000, "TTriangularNode");
       f.Node(4, 0, 0, 0, 0, "THexagonalNode");
       f.Link(5, 1, 2, {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}});
       f.Link(6, 0, 0, {{INT32_MAX, INT32_MIN}, {INT32_MIN, INT32_MAX}, {0, 0}, {INT32_MAX, INT32_MAX}});
       f.Link(7, 3, 4, {{0, 0}, {0, 0}, {0, 0}});
       f.Link(8, 6, 5, {{INT32_MIN, 0}, {INT32_MAX, 0}});
       return f.Bytes();
     }},
    {"counts-and-lengths-beyond-the-data",
     [] {
       // Each record claims far more than follows; the last one stops the read.
       TFile f(INT32_MAX);
       f.Node(1, 0, 0, 40, 40);
       f.Begin("TGraphLink");
       f.Integer("ID", 2);
       f.Binary("G.BreakPoints", 12);
       f.Int32(INT32_MAX);
       f.Int32(0);
       f.Int32(0);
       f.End();
       f.Begin("TRectangularNode");
       f.Integer("ID", 3);
       f.Short("G.Text");
       f.Byte(0x0C);
       f.Int32(INT32_MAX);
       f.Put("short");
       return f.Bytes();
     }},
    {"strings-and-custom-data-claiming-gigabytes",
     [] {
       TFile f(3);
       f.Begin("TRectangularNode");
       f.Integer("ID", 1);
       f.Short("G.Hint");
       f.Byte(0x12);  // UTF-16 units
       f.Int32(0x40000000);
       f.Put("ab");
       f.End();
       f.Begin("TRectangularNode");
       f.Integer("ID", 2);
       f.Short("G.HasCustomData");
       f.Byte(0x09);
       f.Binary("G.CustomData", 8);
       f.Int32(INT32_MAX);
       f.Int32(0);
       f.End();
       return f.Bytes();
     }},
    {"pictures-claiming-absurd-sizes",
     [] {
       TFile f(5);
       const std::pair<int32_t, int32_t> sizes[] = {
           {100000, 100000}, {INT32_MAX, 1}, {-1, -1}, {1, INT32_MIN}};
       uint32_t id = 1;
       for (const auto& [w, h] : sizes) {
         const TBytes bitmap = BitmapClaiming(w, h, 48);
         f.Begin("TRectangularNode");
         f.Integer("ID", id);
         f.Integer("G.Left", 10 * id);
         f.Integer("G.Width", 500);
         f.Integer("G.Height", 500);
         Picture(f, "TBitmap", bitmap, static_cast<int32_t>(bitmap.size()));
         f.End();
         ++id;
       }
       // A metafile whose stored byte count is far beyond its record.
       f.Begin("TEllipticNode");
       f.Integer("ID", id);
       Picture(f, "TMetafile", {1, 0, 0, 0}, INT32_MAX);
       f.End();
       return f.Bytes();
     }},
    {"a-link-of-20000-points",
     [] {
       TFile f(3);
       f.Node(1, 0, 0, 40, 40);
       f.Node(2, 900, 900, 40, 40);
       TPoints points;
       for (int32_t i = 0; i < 20000; ++i) points.emplace_back(i % 1000, (i * 7) % 1000);
       f.Link(3, 1, 2, points);
       return f.Bytes();
     }},
    {"one-identifier-for-every-object",
     [] {
       TFile f(300);
       for (int32_t i = 0; i < 150; ++i) f.Node(1, 10 * i, 0, 30, 30);
       for (int32_t i = 0; i < 150; ++i) f.Link(1, 1, 1, {{10 * i, 50}, {10 * i, 90}});
       return f.Bytes();
     }},
    {"identifiers-at-the-top-of-the-range",
     [] {
       TFile f(4);
       f.Node(0xFFFFFFFFu, 0, 0, 40, 40);
       f.Node(0x80000000u, 200, 0, 40, 40);
       f.Link(0xFFFFFFFEu, 0xFFFFFFFFu, 0x80000000u, {{40, 20}, {200, 20}});
       f.Link(0, 0xFFFFFFFEu, 0, {{100, 100}, {120, 20}});
       return f.Bytes();
     }},
    {"a-caption-of-64-kibibytes-on-a-node-and-a-link",
     [] {
       std::string text;
       for (int i = 0; text.size() < 65536; ++i) text += (i % 9 == 0) ? "\r\n" : "word ";
       TFile f(2);
       f.Begin("TRectangularNode");
       f.Integer("ID", 1);
       f.String("G.Text", text);
       f.Integer("G.Width", 200);
       f.Integer("G.Height", 100);
       f.End();
       f.Begin("TGraphLink");
       f.Integer("ID", 2);
       f.String("G.Text", text);
       f.Points({{0, 200}, {400, 200}});
       f.End();
       return f.Bytes();
     }},
    {"2000-nodes",
     [] {
       TFile f(2000);
       for (int32_t i = 0; i < 2000; ++i)
         f.Node(static_cast<uint32_t>(i + 1), (i % 200) * 50, (i / 200) * 40, 40, 30);
       return f.Bytes();
     }},
};

// ---- Running them -------------------------------------------------------------------------------

const char* Running = "";

void OnAlarm(int) {
  const char prefix[] = "hostile file took longer than its time bound: ";
  (void)!write(2, prefix, sizeof prefix - 1);
  (void)!write(2, Running, std::strlen(Running));
  (void)!write(2, "\n", 1);
  std::_Exit(1);
}

// Sessions that load the file and apply one operation (each of the operation
// fuzzer's, with arguments made of one repeated byte), after selecting an
// object; the few bytes the operation leaves become operations too. Every
// step of a session saves and loads the diagram a few times, so a large
// file gets one session per operation, a small one three.
void Edit(const TBytes& file) {
  constexpr int Operations = 32;
  constexpr size_t Large = 16384;
  const std::vector<uint8_t> arguments =
      file.size() > Large ? std::vector<uint8_t>{1} : std::vector<uint8_t>{0, 1, 2};
  for (uint8_t operation = 0; operation < Operations; ++operation)
    for (uint8_t argument : arguments) {
      const uint8_t session[] = {0,         0,        0,        0,        4,        argument,
                                 operation, argument, argument, argument, argument, argument};
      gc::fuzz::RunSession(session, sizeof session, &file);
    }
}

}  // namespace

int main(int argc, char** argv) {
  std::string writeTo;
  std::string only;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--write") == 0)
      writeTo = argv[i + 1];
    else if (std::strcmp(argv[i], "--only") == 0)
      only = argv[i + 1];
  }
  std::signal(SIGALRM, OnAlarm);
  for (const THostileFile& hostile : HostileFiles) {
    if (!only.empty() && only != hostile.Name) continue;
    Running = hostile.Name;
    const auto start = std::chrono::steady_clock::now();
    alarm(TimeBound);
    const TBytes file = hostile.Build();
    if (!writeTo.empty()) {
      const std::string path = writeTo + "/" + hostile.Name + ".Screen";
      if (std::FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(file.data(), 1, file.size(), out);
        std::fclose(out);
      }
    }
    Edit(file);
    alarm(0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-60s %9zu bytes %7.1f s\n", hostile.Name, file.size(), seconds);
    std::fflush(stdout);
  }
  return 0;
}
