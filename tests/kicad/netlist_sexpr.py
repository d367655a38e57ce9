"""Reads a KiCad netlist (the export s-expression) as KiCad's reader does.

Tokens are '(', ')', quoted strings (with backslash escapes) and bare words
that run to white space or a parenthesis.  The file is UTF-8, as KiCad
reads it; a netlist that is not is an error.
"""

ESCAPES = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"'}


def tokens(text):
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if c in " \t\r\n":
            i += 1
        elif c in "()":
            yield c
            i += 1
        elif c == '"':
            out = []
            i += 1
            while i < n and text[i] != '"':
                if text[i] == "\\" and i + 1 < n:
                    out.append(ESCAPES.get(text[i + 1], text[i + 1]))
                    i += 2
                else:
                    out.append(text[i])
                    i += 1
            if i >= n:
                raise ValueError("unterminated string")
            i += 1
            yield ("str", "".join(out))
        else:
            start = i
            while i < n and text[i] not in " \t\r\n()":
                i += 1
            yield ("str", text[start:i])


def parse(text):
    stack = [[]]
    for tok in tokens(text):
        if tok == "(":
            stack.append([])
        elif tok == ")":
            if len(stack) < 2:
                raise ValueError("unbalanced ')'")
            done = stack.pop()
            stack[-1].append(done)
        else:
            stack[-1].append(tok[1])
    if len(stack) != 1:
        raise ValueError("unbalanced '('")
    return stack[0]


def field(node, name):
    """The first value of the child list (name value ...), or None."""
    for child in node[1:]:
        if isinstance(child, list) and child and child[0] == name:
            return child[1] if len(child) > 1 else ""
    return None


def children(node, name):
    return [c for c in node[1:] if isinstance(c, list) and c and c[0] == name]


class Netlist:
    def __init__(self, tree):
        export = tree[0]
        (components,) = children(export, "components")
        (nets,) = children(export, "nets")
        # reference -> (value, footprint), in file order
        self.components = {}
        for comp in children(components, "comp"):
            self.components[field(comp, "ref")] = (field(comp, "value"), field(comp, "footprint"))
        # net name -> [(reference, pin)], and the reverse
        self.nets = {}
        self.net_of = {}
        self.pins_of = {}
        for net in children(nets, "net"):
            name = field(net, "name")
            nodes = [(field(n, "ref"), field(n, "pin")) for n in children(net, "node")]
            self.nets[name] = nodes
            for ref, pin in nodes:
                self.net_of[(ref, pin)] = name
                self.pins_of.setdefault(ref, set()).add(pin)


def read_netlist(path):
    with open(path, "rb") as f:
        text = f.read().decode("utf-8")
    return Netlist(parse(text))
