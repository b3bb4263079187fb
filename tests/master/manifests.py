#!/usr/bin/env python3
"""Every Kubernetes manifest in contrib/agones parses, and the masters' runs
two independent masters, each with a stable address: a StatefulSet of two
behind a headless Service, each pod reached through a Service of its own,
never one load balancer over both.
Usage: manifests.py CONTRIB_AGONES_DIR"""
import pathlib
import sys

try:
    import yaml
except ImportError:
    print("manifests: skipped: no python3-yaml")
    sys.exit(0)


def fail(why):
    print("FAIL: " + why, file=sys.stderr)
    sys.exit(1)


def documents(path):
    try:
        return [d for d in yaml.safe_load_all(path.read_text()) if d is not None]
    except yaml.YAMLError as error:
        fail(f"{path.name} does not parse: {error}")


def check_masters(docs):
    kinds = {}
    for doc in docs:
        for field in ("apiVersion", "kind", "metadata"):
            if field not in doc:
                fail(f"a master's manifest has no {field}")
        kinds.setdefault(doc["kind"], []).append(doc)
    sets = kinds.get("StatefulSet", [])
    if len(sets) != 1:
        fail("not one StatefulSet of masters")
    wanted = sets[0]["spec"]
    if wanted.get("replicas") != 2:
        fail(f"{wanted.get('replicas')} masters, not two")
    labels = wanted["template"]["metadata"]["labels"]
    if wanted["selector"]["matchLabels"] != labels:
        fail("the StatefulSet's selector does not take its own pods")
    services = {s["metadata"]["name"]: s["spec"] for s in kinds.get("Service", [])}
    headless = services.get(wanted["serviceName"])
    if headless is None or headless.get("clusterIP") != "None":
        fail("the StatefulSet's service is not headless")
    name = sets[0]["metadata"]["name"]
    for index in range(2):
        pod = f"{name}-{index}"
        own = [s for s in services.values()
               if s.get("selector") == {"statefulset.kubernetes.io/pod-name": pod}]
        if len(own) != 1:
            fail(f"{pod} has no Service of its own")
        if own[0].get("type") == "LoadBalancer" and own[0].get("externalTrafficPolicy") != "Local":
            fail(f"{pod}'s Service hides the registering server's address")
    for service_name, service in services.items():
        if service.get("type") in ("LoadBalancer", "NodePort") and service.get("selector") == labels:
            fail(f"{service_name} balances over both masters")
    container = wanted["template"]["spec"]["containers"][0]
    mounts = {m["mountPath"] for m in container.get("volumeMounts", [])}
    if "/var/lib/quillrock-master" not in mounts:
        fail("the masters' state is not kept on a volume")


def main():
    folder = pathlib.Path(sys.argv[1])
    paths = sorted(folder.glob("*.yaml"))
    if not paths:
        fail(f"no manifests in {folder}")
    for path in paths:
        docs = documents(path)
        if path.name == "master.yaml":
            check_masters(docs)
    print(f"manifests: {len(paths)} files parse")


main()
