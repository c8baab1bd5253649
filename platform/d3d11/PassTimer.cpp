#include "platform/d3d11/PassTimer.h"

namespace d3dgl {

void PassTimer::Start()
{
    Discard();
    running = true;
}

void PassTimer::Begin(const std::string& name)
{
    Group group;
    group.name = name;
    group.depth = static_cast<int>(open.size());
    GLuint queries[2] = {0, 0};
    glCreateQueries(GL_TIMESTAMP, 2, queries);
    group.begin = queries[0];
    group.end = queries[1];
    glFinish();
    glQueryCounter(group.begin, GL_TIMESTAMP);
    open.push_back(groups.size());
    groups.push_back(std::move(group));
}

void PassTimer::End()
{
    if (open.empty()) {
        return;
    }
    glFinish();
    glQueryCounter(groups[open.back()].end, GL_TIMESTAMP);
    open.pop_back();
}

std::vector<PassTimer::Time> PassTimer::Stop()
{
    while (!open.empty()) {
        End();  // a group left open ends here
    }
    std::vector<Time> times;
    for (const Group& group : groups) {
        GLuint64 begin = 0, end = 0;
        glGetQueryObjectui64v(group.begin, GL_QUERY_RESULT, &begin);
        glGetQueryObjectui64v(group.end, GL_QUERY_RESULT, &end);
        times.push_back({group.name, group.depth, end > begin ? static_cast<double>(end - begin) / 1e6 : 0.0});
    }
    Discard();
    return times;
}

void PassTimer::Discard()
{
    for (const Group& group : groups) {
        const GLuint queries[2] = {group.begin, group.end};
        glDeleteQueries(2, queries);
    }
    groups.clear();
    open.clear();
    running = false;
}

}  // namespace d3dgl
