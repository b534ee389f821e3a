"""A test inside the sim_fixture ctest fixture reaches the simulator the fixture started."""
import http.client
import sys

with open(sys.argv[1]) as ready:
    fields = dict(line.split(" ", 1) for line in ready.read().splitlines())
host, port = fields["control"].rsplit(":", 1)
connection = http.client.HTTPConnection(host, int(port), timeout=5)
connection.request("GET", "/printers")
response = connection.getresponse()
body = response.read().decode()
if response.status != 200 or not body.startswith("fixture-usb\tusb\tsable\t2112\t"):
    sys.exit("unexpected answer %d: %r" % (response.status, body))
print("fixture simulator answers: " + body.strip())
