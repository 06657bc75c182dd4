#include "render/Mesh.h"

#include <GL/gl.h>
#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <utility>

namespace {

constexpr int kUnresolved = -1;
// Room for the longest usable line, a carriage return and the terminating NUL.
constexpr int kLineBufferSize = CMesh::kMaxLineLength + 2;

// Reads the next line into line, NUL-terminated, without its LF or CR LF. Returns false at the
// end of the input or on a read error (the stream catches what its buffer throws and turns bad).
// usable turns false for a line that is too long (the rest of it is read and dropped) or that
// holds a NUL byte.
bool NextLine(std::istream& in, char* line, bool& usable) {
    usable = true;
    in.getline(line, kLineBufferSize);
    if (in.bad() || (in.fail() && in.eof())) {
        return false;
    }
    std::streamsize length = in.gcount();
    if (in.fail()) {
        // The buffer filled before the line ended.
        in.clear();
        in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
        usable = false;
        return !in.bad();
    }
    if (!in.eof()) {
        --length; // the newline was read but not stored
    }
    if (length > 0 && line[length - 1] == '\r') {
        --length;
    }
    line[length] = '\0';
    usable = length <= CMesh::kMaxLineLength && std::memchr(line, '\0', length) == nullptr;
    return true;
}

// Splits text in place at runs of blanks into at most maxTokens tokens; returns how many.
int SplitAtBlanks(char* text, char** tokens, int maxTokens) {
    int count = 0;
    char* cursor = text;
    while (count < maxTokens) {
        while (*cursor == ' ') {
            ++cursor;
        }
        if (*cursor == '\0') {
            break;
        }
        tokens[count++] = cursor;
        while (*cursor != ' ' && *cursor != '\0') {
            ++cursor;
        }
        if (*cursor == ' ') {
            *cursor++ = '\0';
        }
    }
    return count;
}

// Like the C library's text-to-float: text that is no number gives 0. strtof rather than a
// cast from double, which would be undefined for values beyond the float range.
float ToFloat(const char* text) {
    return std::strtof(text, nullptr);
}

// Fills the outputs from the leading numbers of text, in order; those the text does not give
// are 0 (OBJ's "vt u" means v = 0), so a short line still takes its place in the numbering.
void ReadValues(char* text, std::initializer_list<float*> outputs) {
    char* tokens[3];
    const int count = SplitAtBlanks(text, tokens, static_cast<int>(outputs.size()));
    int i = 0;
    for (float* output : outputs) {
        *output = i < count ? ToFloat(tokens[i]) : 0.0f;
        ++i;
    }
}

// One index of a face corner, made 0-based. A negative index counts back from the end of the
// list as it stands now; a positive one is checked once the whole file is read, since it may
// refer ahead. Empty text, zero, text without a number and values beyond int are unresolved.
int ToIndex(const char* text, std::size_t listSize) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (end == text || errno == ERANGE || value == 0 || value > INT_MAX || value < INT_MIN) {
        return kUnresolved;
    }
    if (value > 0) {
        return static_cast<int>(value - 1);
    }
    const long long fromEnd = static_cast<long long>(listSize) + value;
    return (fromEnd >= 0 && fromEnd <= INT_MAX) ? static_cast<int>(fromEnd) : kUnresolved;
}

// Cuts text at its next '/' and returns what follows, or the empty tail when there is none.
char* CutAtSlash(char* text) {
    char* slash = std::strchr(text, '/');
    if (slash == nullptr) {
        return text + std::strlen(text);
    }
    *slash = '\0';
    return slash + 1;
}

bool IsInside(int index, std::size_t listSize) {
    return index >= 0 && static_cast<std::size_t>(index) < listSize;
}

} // namespace

const std::shared_ptr<const CMesh::SData>& CMesh::Empty() {
    static const std::shared_ptr<const SData> empty = std::make_shared<const SData>();
    return empty;
}

bool CMesh::Load(const char* path) {
    data = Empty();
    std::ifstream file;
    if (path != nullptr) {
        file.open(path, std::ios::binary);
    }
    if (!file.is_open()) {
        std::printf("cant open obj-file: %s\n", path != nullptr ? path : "");
        return false;
    }
    LoadFrom(file);
    return true;
}

void CMesh::LoadFrom(std::istream& in) {
    auto loaded = std::make_shared<SData>();
    char line[kLineBufferSize];
    bool usable = true;
    while (in.good() && NextLine(in, line, usable)) {
        if (usable) {
            loaded->ReadLine(line);
        }
    }
    loaded->DropUnresolvedFaces();
    loaded->BuildArrays();
    loaded->ComputeRadius();
    // The mesh cache keeps every file's data for the whole game: the room the lists grew into
    // while reading is given back.
    loaded->vertices.shrink_to_fit();
    loaded->texCoords.shrink_to_fit();
    loaded->normals.shrink_to_fit();
    loaded->faces.shrink_to_fit();
    data = std::move(loaded);
}

void CMesh::SData::ReadLine(char* line) {
    if (line[0] == 'v' && line[1] == ' ') {
        float x, y, z;
        ReadValues(line + 2, {&x, &y, &z});
        vertices.emplace_back(x, y, z);
    } else if (line[0] == 'v' && line[1] == 't' && line[2] == ' ') {
        STexCoord texCoord;
        ReadValues(line + 3, {&texCoord.u, &texCoord.v});
        texCoords.push_back(texCoord);
    } else if (line[0] == 'v' && line[1] == 'n' && line[2] == ' ') {
        float x, y, z;
        ReadValues(line + 3, {&x, &y, &z});
        normals.emplace_back(x, y, z);
    } else if (line[0] == 'f' && line[1] == ' ') {
        ReadFace(line + 2);
    }
}

void CMesh::SData::ReadFace(char* arguments) {
    char* corners[3];
    if (SplitAtBlanks(arguments, corners, 3) != 3) {
        return;
    }
    STriangle triangle{};
    for (int corner = 0; corner < 3; ++corner) {
        char* vertexText = corners[corner];
        char* texCoordText = CutAtSlash(vertexText);
        char* normalText = CutAtSlash(texCoordText);
        CutAtSlash(normalText);
        triangle.vertex[corner] = ToIndex(vertexText, vertices.size());
        triangle.texCoord[corner] = ToIndex(texCoordText, texCoords.size());
        triangle.normal[corner] = ToIndex(normalText, normals.size());
    }
    faces.push_back(triangle);
}

void CMesh::SData::DropUnresolvedFaces() {
    const auto unresolved = [this](const STriangle& triangle) {
        for (int corner = 0; corner < 3; ++corner) {
            if (!IsInside(triangle.vertex[corner], vertices.size()) ||
                !IsInside(triangle.texCoord[corner], texCoords.size()) ||
                !IsInside(triangle.normal[corner], normals.size())) {
                return true;
            }
        }
        return false;
    };
    faces.erase(std::remove_if(faces.begin(), faces.end(), unresolved), faces.end());
}

void CMesh::SData::BuildArrays() {
    vertexArray.resize(faces.size() * 9);
    normalArray.resize(faces.size() * 9);
    texCoordArray.resize(faces.size() * 6);
    float* vertexOut = vertexArray.data();
    float* normalOut = normalArray.data();
    float* texCoordOut = texCoordArray.data();
    for (const STriangle& triangle : faces) {
        for (int corner = 0; corner < 3; ++corner) {
            const CVector3& vertex = vertices[triangle.vertex[corner]];
            const CVector3& normal = normals[triangle.normal[corner]];
            const STexCoord& texCoord = texCoords[triangle.texCoord[corner]];
            *vertexOut++ = vertex.x;
            *vertexOut++ = vertex.y;
            *vertexOut++ = vertex.z;
            *normalOut++ = normal.x;
            *normalOut++ = normal.y;
            *normalOut++ = normal.z;
            *texCoordOut++ = texCoord.u;
            *texCoordOut++ = texCoord.v;
        }
    }
}

void CMesh::SData::ComputeRadius() {
    double largest = 0.0;
    for (const STriangle& triangle : faces) {
        for (const int index : triangle.vertex) {
            const CVector3& v = vertices[index];
            const double x = v.x;
            const double y = v.y;
            const double z = v.z;
            const double length = std::sqrt(x * x + y * y + z * z);
            if (length > largest) {
                largest = length;
            }
        }
    }
    // A distance beyond the float range (possible only with absurd coordinates) would make the
    // conversion undefined; it becomes infinity instead.
    radius = largest > FLT_MAX ? INFINITY : static_cast<float>(largest);
}

int CMesh::DrawImmediate() const {
    glBegin(GL_TRIANGLES);
    for (const STriangle& triangle : data->faces) {
        for (int corner = 0; corner < 3; ++corner) {
            const STexCoord& texCoord = data->texCoords[triangle.texCoord[corner]];
            const CVector3& normal = data->normals[triangle.normal[corner]];
            const CVector3& vertex = data->vertices[triangle.vertex[corner]];
            glTexCoord2f(texCoord.u, texCoord.v);
            glNormal3f(normal.x, normal.y, normal.z);
            glVertex3f(vertex.x, vertex.y, vertex.z);
        }
    }
    glEnd();
    return 1;
}

int CMesh::DrawArrays() const {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, GetVertexArray());
    glNormalPointer(GL_FLOAT, 0, GetNormalArray());
    glTexCoordPointer(2, GL_FLOAT, 0, GetTexCoordArray());
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(GetFaceCount() * 3));
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    return 1;
}
